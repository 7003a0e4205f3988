// The libcurl adapter's bounds and TLS against the recording server: a silent server never
// holds a request for longer than the bounds, a transfer that keeps moving is never cut, and
// only the TLS versions of the set are negotiated.
#include <gtest/gtest.h>

#include <chrono>

#include "integration/peers.h"

namespace zorvak::posix {
namespace {

using test::Recorder;
using test::Reply;

ports::HttpClientSettings Bounds(int connectMs, int stallMs) { return {{}, false, connectMs, stallMs}; }

double SecondsOf(const std::function<void()>& f) {
  const auto start = std::chrono::steady_clock::now();
  f();
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

TEST(HttpBounds, ConnectThatNeverCompletesTimesOut) {
  CurlHttpClient http(Bounds(1000, 60000));
  Recorder& rec = Recorder::Get();
  const double s = SecondsOf([&] {
    try {
      http.send({"GET", "http://127.0.0.1:" + std::to_string(rec.port("blackhole")) + "/"});
      ADD_FAILURE() << "connected to the black hole";
    } catch (const ports::HttpError& e) {
      EXPECT_TRUE(e.timedOut()) << e.what();
    }
  });
  EXPECT_LT(s, 10) << "the stall bound, not the connect bound, ended it";
}

TEST(HttpBounds, ServerThatAcceptsAndNeverAnswersIsLeftAfterTheStallBound) {
  CurlHttpClient http(Bounds(5000, 1000));
  Recorder& rec = Recorder::Get();
  rec.reset();
  rec.script("", "silent");
  try {
    http.send({"POST", rec.url() + "/x", true, {}, "a=b"});
    ADD_FAILURE() << "a silent server answered";
  } catch (const ports::HttpError& e) {
    EXPECT_TRUE(e.timedOut()) << e.what();
  }
  // Headers, then silence: the reply is there but its body broke off.
  rec.script(Reply("HTTP/1.1 200 OK", {"Content-Length: 100"}, "0123456789", false), "hold");
  const ports::HttpResponse r = http.send({"GET", rec.url() + "/y"});
  EXPECT_EQ(r.status, 200);
  EXPECT_EQ(r.body, "0123456789");
  ASSERT_TRUE(r.bodyError.has_value());
}

TEST(HttpBounds, SlowTransferThatKeepsMovingIsNotCut) {
  CurlHttpClient http(Bounds(5000, 1000));
  Recorder& rec = Recorder::Get();
  rec.reset();
  const std::string body(2000, 'z');
  // 20 pieces 150 ms apart: 3 s in all, three times the stall bound.
  rec.script(Reply("HTTP/1.1 200 OK", {}, body), "trickle", 110, 150);
  const ports::HttpResponse r = http.send({"GET", rec.url() + "/slow"});
  EXPECT_FALSE(r.bodyError.has_value()) << *r.bodyError;
  EXPECT_EQ(r.body, body);
}

TEST(HttpBounds, ATrickleThatNeverStallsIsCutByTheTotalBound) {
  ports::HttpClientSettings settings = Bounds(5000, 1000);
  settings.totalTimeoutMs = 1500;
  CurlHttpClient http(settings);
  Recorder& rec = Recorder::Get();
  rec.reset();
  // 3 s of pieces 150 ms apart: never a stall, always past the total bound.
  rec.script(Reply("HTTP/1.1 200 OK", {}, std::string(2000, 'z')), "trickle", 110, 150);
  const ports::HttpResponse r = http.send({"GET", rec.url() + "/slow"});
  EXPECT_EQ(r.status, 200);
  ASSERT_TRUE(r.bodyError.has_value());
  EXPECT_LT(r.body.size(), 2000u);
}

TEST(HttpTls, VersionsOfTheSetAgainstServersOfOneVersion) {
  Recorder& rec = Recorder::Get();
  const ports::TlsVersions none, tls10{false, false, true, false, false}, tls12{false, false, false, false, true},
      tls10and12{false, false, true, false, true}, ssl23{true, false, false, false, false};
  struct Case {
    const char* listener;
    ports::TlsVersions set;
    const char* negotiated;  // nullptr: the handshake must fail
  } cases[] = {
      {"https", none, "TLSv1.3"},            // no usable version: TLS 1.2 and 1.3
      {"https", ssl23, "TLSv1.3"},           // "[sslvSSLv23]" gives {SSL 2.0}: the same
      {"https", tls12, "TLSv1.2"},           // TLS 1.3 is not in the set
      {"https_tls12", tls10and12, "TLSv1.2"},  // "[sslvTLSv1_2]": the gap is filled
      {"https_tls12", tls10, nullptr},
      {"https_tls10", tls10, "TLSv1"},
      {"https_tls10", tls10and12, "TLSv1"},
      {"https_tls10", none, nullptr},
      {"https_tls10", tls12, nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.listener + std::string(" ") + (c.negotiated ? c.negotiated : "fails"));
    rec.reset();
    rec.script(Reply("HTTP/1.1 200 OK", {}, "ok"));
    CurlHttpClient http({c.set, false, 5000, 5000});
    try {
      const ports::HttpResponse r = http.send({"GET", rec.url(c.listener) + "/"});
      ASSERT_NE(c.negotiated, nullptr) << "handshake succeeded";
      EXPECT_EQ(r.body, "ok");
      EXPECT_EQ(rec.tls(), c.negotiated);
    } catch (const ports::HttpError& e) {
      EXPECT_EQ(c.negotiated, nullptr) << e.what();
      EXPECT_FALSE(e.timedOut());
    }
  }
}

TEST(HttpTls, SelfSignedCertificateIsRefusedOnlyWhenVerifying) {
  Recorder& rec = Recorder::Get();
  rec.reset();
  rec.script(Reply("HTTP/1.1 200 OK", {}, "ok"));
  CurlHttpClient verifying({{}, true, 5000, 5000});
  EXPECT_THROW(verifying.send({"GET", rec.url("https") + "/"}), ports::HttpError);
  CurlHttpClient trusting({{}, false, 5000, 5000});
  EXPECT_EQ(trusting.send({"GET", rec.url("https") + "/"}).body, "ok");
}

}  // namespace
}  // namespace zorvak::posix
