// The distribution store client against the signature-checking S3 peer, and the mended fault
// (a cut or corrupted body is a failed fetch) against the recording server.
#include <gtest/gtest.h>

#include "core/s3_client.h"
#include "core/sigv4.h"
#include "integration/peers.h"
#include "posix/posix_platform.h"

namespace zorvak::store {
namespace {

constexpr const char* kKey = "AKIAZORVAKTEST000001";
constexpr const char* kSecret = "zorvakTestSecretKey/0123456789+abcdefghi";
constexpr const char* kBucket = "zorvak-dist";

std::string EngineBytes() {
  std::string b;
  for (unsigned i = 0; i < 300000; ++i) b += static_cast<char>((i * 7919u) >> 3);
  return b;
}

class Store : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    peer = new test::S3Peer(kKey, kSecret, kBucket, {{"ZorvakService.exe", EngineBytes()}});
    tlsPeer = new test::S3Peer(kKey, kSecret, kBucket, {{"ZorvakService.exe", "tls engine"}}, true);
  }
  static void TearDownTestSuite() {
    delete peer;
    delete tlsPeer;
  }
  S3Client client(const std::string& secret, int port, const std::string& protocol = "http") {
    return S3Client(http, crypto, clock, {kKey, secret, "127.0.0.1:" + std::to_string(port), protocol, "sa-east-1"});
  }

  static inline test::S3Peer* peer = nullptr;
  static inline test::S3Peer* tlsPeer = nullptr;
  posix::CurlHttpClient http{ports::HttpClientSettings{{}, false, 5000, 5000}};
  posix::OpenSslCrypto crypto;
  posix::PosixClock clock;
};

TEST_F(Store, GetObjectFetchesTheEngine) {
  ResponseInfo info;
  std::string stream = "old";
  ASSERT_TRUE(client(kSecret, peer->port()).GetObject(kBucket, "ZorvakService.exe", stream, info)) << info.StatusMessage;
  EXPECT_EQ(info.StatusCode, 200);
  EXPECT_EQ(info.StatusMessage, "OK");
  EXPECT_EQ(stream, EngineBytes());
}

TEST_F(Store, RepliesThatAreNotASuccessGiveFalseWithTheirStatus) {
  struct Case {
    const char* secret;
    const char* bucket;
    const char* key;
    int status;
    const char* reason;
  } cases[] = {
      {kSecret, kBucket, "zorvakservice.exe", 404, "Not Found"},  // keys are case-sensitive
      {kSecret, kBucket, "ZorvakService.EXE", 404, "Not Found"},
      {kSecret, "other-bucket", "ZorvakService.exe", 404, "Not Found"},
      {"wrongSecretKey/0123456789+abcdefghijklmn", kBucket, "ZorvakService.exe", 403, "Forbidden"},
  };
  for (const Case& c : cases) {
    ResponseInfo info;
    std::string stream = "kept";
    EXPECT_FALSE(client(c.secret, peer->port()).GetObject(c.bucket, c.key, stream, info)) << c.key;
    EXPECT_EQ(info.StatusCode, c.status) << c.key;
    EXPECT_EQ(info.StatusMessage, c.reason) << c.key;
    EXPECT_EQ(stream, "kept");
  }
}

TEST_F(Store, ListBucketsIsSignedToo) {
  ResponseInfo info;
  const auto buckets = client(kSecret, peer->port()).ListBuckets(info);
  ASSERT_TRUE(buckets.has_value()) << info.StatusCode;
  EXPECT_EQ(*buckets, std::vector<std::string>{kBucket});
  EXPECT_EQ(info.StatusCode, 200);
  ResponseInfo refused;
  EXPECT_FALSE(client("wrongSecretKey/0123456789+abcdefghijklmn", peer->port()).ListBuckets(refused));
  EXPECT_EQ(refused.StatusCode, 403);
}

TEST_F(Store, HttpsReachesTheStoreOverTls) {
  ResponseInfo info;
  std::string stream;
  EXPECT_TRUE(client(kSecret, tlsPeer->port(), "https").GetObject(kBucket, "ZorvakService.exe", stream, info));
  EXPECT_EQ(stream, "tls engine");
  // Plain http to the TLS port is no reply the client can read.
  EXPECT_ANY_THROW(client(kSecret, tlsPeer->port(), "http").GetObject(kBucket, "ZorvakService.exe", stream, info));
}

TEST_F(Store, UnreachableStoreRaises) {
  ResponseInfo info;
  std::string stream;
  EXPECT_THROW(client(kSecret, test::ClosedPort()).GetObject(kBucket, "ZorvakService.exe", stream, info),
               ports::HttpError);
  EXPECT_EQ(info.StatusCode, 0);
  EXPECT_THROW(client(kSecret, test::ClosedPort()).ListBuckets(info), ports::HttpError);
}

// A body that is cut short or does not match its ETag must never be taken for the engine.
TEST_F(Store, CutOrCorruptedBodyIsAFailedFetch) {
  test::Recorder& rec = test::Recorder::Get();
  const std::string body = "MZ engine bytes";
  const std::string md5 = sigv4::Hex(crypto.md5(body));
  struct Case {
    std::string reply, mode;
    bool ok;
    std::string message;
  } cases[] = {
      {test::Reply("HTTP/1.1 200 OK", {"ETag: \"" + md5 + "\""}, body), "normal", true, "OK"},
      {test::Reply("HTTP/1.1 200 OK", {"ETag: \"" + md5 + "-2\""}, "multipart, not an MD5"), "normal", true, "OK"},
      {test::Reply("HTTP/1.1 200 OK", {"ETag: \"" + md5 + "\""}, "MZ engine bytez"), "normal", false,
       "Download corrompido: o MD5 do objeto difere do ETag \"" + md5 + "\""},
      {test::Reply("HTTP/1.1 200 OK", {"Content-Length: 400"}, body, false), "normal", false,
       "Download interrompido: transfer closed with 385 bytes remaining to read"},
      {test::Reply("HTTP/1.1 200 OK", {"Content-Length: 400"}, body, false), "hold", false,
       "Download interrompido: Operation timed out: no data for 1000 ms"},
  };
  posix::CurlHttpClient quick(ports::HttpClientSettings{{}, false, 5000, 1000});
  for (const Case& c : cases) {
    rec.reset();
    rec.script(c.reply, c.mode);
    S3Client s(quick, crypto, clock, {kKey, kSecret, "127.0.0.1:" + std::to_string(rec.port("http")), "http", "sa-east-1"});
    ResponseInfo info;
    std::string stream = "kept";
    EXPECT_EQ(s.GetObject(kBucket, "ZorvakService.exe", stream, info), c.ok) << c.reply;
    EXPECT_EQ(info.StatusCode, 200);
    EXPECT_EQ(info.StatusMessage, c.message);
    EXPECT_EQ(stream == "kept", !c.ok);
  }
  // What the store was asked: path style, signed, nothing else.
  const test::RecordedRequest r = test::RecordedRequest::Parse(rec.last());
  EXPECT_EQ(r.requestLine, "GET /zorvak-dist/ZorvakService.exe HTTP/1.1");
  std::vector<std::string> names;
  for (const auto& h : r.headers) names.push_back(h.name);
  EXPECT_EQ(names, (std::vector<std::string>{"Host", "Accept", "x-amz-content-sha256", "x-amz-date", "Authorization"}));
}

}  // namespace
}  // namespace zorvak::store
