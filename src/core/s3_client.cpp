#include "core/s3_client.h"

#include <charconv>

#include "core/sigv4.h"
#include "core/text.h"
#include "deployment.h"

namespace zorvak::store {
namespace {

// SHA-256 of an empty body: every request here is a GET.
constexpr const char* kEmptyPayloadHash = "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855";

bool IsIpv4(std::string_view host) {
  int parts = 0;
  std::size_t pos = 0;
  while (pos <= host.size()) {
    std::size_t dot = host.find('.', pos);
    if (dot == std::string_view::npos) dot = host.size();
    const std::string_view part = host.substr(pos, dot - pos);
    if (part.empty() || part.size() > 3) return false;
    for (const char c : part) {
      if (c < '0' || c > '9') return false;
    }
    if (std::stoi(std::string(part)) > 255) return false;
    ++parts;
    pos = dot + 1;
  }
  return parts == 4;
}

// A plain MD5 ETag is 32 hex digits in quotes; multipart uploads add "-N" and are not an MD5.
std::optional<std::string> PlainMd5(std::string_view etag) {
  if (etag.size() >= 2 && etag.front() == '"' && etag.back() == '"') etag = etag.substr(1, etag.size() - 2);
  if (etag.size() != 32) return std::nullopt;
  std::string lower;
  for (const char c : etag) {
    const char l = (c >= 'A' && c <= 'F') ? char(c - 'A' + 'a') : c;
    if (!((l >= '0' && l <= '9') || (l >= 'a' && l <= 'f'))) return std::nullopt;
    lower += l;
  }
  return lower;
}

std::optional<std::uint64_t> ParseLength(std::string_view v) {
  v = text::trim(v);
  std::uint64_t n = 0;
  const auto [end, ec] = std::from_chars(v.data(), v.data() + v.size(), n);
  if (ec != std::errc() || end != v.data() + v.size()) return std::nullopt;
  return n;
}

// The <Name> of every <Bucket> of a ListAllMyBucketsResult; anything else is ignored.
std::vector<std::string> BucketNames(std::string_view xml) {
  std::vector<std::string> names;
  std::size_t pos = 0;
  while ((pos = xml.find("<Bucket>", pos)) != std::string_view::npos) {
    const std::size_t end = xml.find("</Bucket>", pos);
    const std::string_view bucket = xml.substr(pos, end == std::string_view::npos ? end : end - pos);
    const std::size_t open = bucket.find("<Name>");
    const std::size_t close = bucket.find("</Name>");
    if (open != std::string_view::npos && close != std::string_view::npos && close > open)
      names.emplace_back(bucket.substr(open + 6, close - open - 6));
    if (end == std::string_view::npos) break;
    pos = end;
  }
  return names;
}

}  // namespace

StoreSettings DistributionStore(std::string protocol) {
  StoreSettings s;
  s.accountName = deployment::kS3AccessKey;
  s.accountKey = deployment::kS3SecretKey;
  s.endpoint = deployment::kS3Endpoint;
  s.region = deployment::kS3Region;
  s.protocol = std::move(protocol);
  return s;
}

bool UsesPathStyle(std::string_view endpoint) {
  if (endpoint.starts_with('[')) return true;  // [IPv6]
  const std::size_t colon = endpoint.rfind(':');
  if (colon != std::string_view::npos) return true;
  return IsIpv4(endpoint);
}

ports::HttpResponse S3Client::get(std::string_view bucket, std::string_view key, ResponseInfo& info,
                                  ports::Md5Hasher* md5) {
  const bool https = text::equalsNoCase(settings_.protocol, "https");
  std::string host = settings_.endpoint;
  std::string path = "/";
  if (!bucket.empty()) {
    if (UsesPathStyle(settings_.endpoint)) {
      path += sigv4::UriEncode(bucket, false);
      if (!key.empty()) path += "/";
    } else {
      host = std::string(bucket) + "." + host;
    }
    path += sigv4::UriEncode(key, true);
  }
  // The HTTP libraries leave a default port out of the Host header; the signature must match.
  std::string hostHeader = host;
  const std::string defaultPort = https ? ":443" : ":80";
  if (hostHeader.ends_with(defaultPort)) hostHeader.resize(hostHeader.size() - defaultPort.size());
  const std::string amzDate = sigv4::AmzDate(clock_.utcNow());
  sigv4::Request toSign{"GET", path, {},
                        {{"host", hostHeader}, {"x-amz-content-sha256", kEmptyPayloadHash}, {"x-amz-date", amzDate}},
                        kEmptyPayloadHash};
  const sigv4::Credentials creds{settings_.accountName, settings_.accountKey, settings_.region, "s3"};

  ports::HttpRequest request;
  request.url = std::string(https ? "https://" : "http://") + host + path;
  request.headers = {{"x-amz-content-sha256", kEmptyPayloadHash},
                     {"x-amz-date", amzDate},
                     {"Authorization", sigv4::Authorization(crypto_, creds, toSign, amzDate)}};
  // Hashing while the bytes arrive keeps the check off the end of a large download.
  if (md5) request.onBody = [md5](std::string_view piece) { md5->update(piece); };
  ports::HttpResponse reply = http_.send(request);
  info.StatusCode = reply.status;
  info.StatusMessage = reply.reason;
  return reply;
}

bool S3Client::GetObject(std::string_view bucket, std::string_view key, std::string& stream,
                         ResponseInfo& info) {
  const auto md5 = crypto_.newMd5();
  ports::HttpResponse reply = get(bucket, key, info, md5.get());
  if (reply.status < 200 || reply.status > 299) return false;
  // A truncated executable must never be taken for the engine.
  if (reply.bodyError) {
    info.StatusMessage = "Download interrompido: " + *reply.bodyError;
    return false;
  }
  if (const auto declared = reply.header("Content-Length")) {
    const auto length = ParseLength(*declared);
    if (!length || *length != reply.body.size()) {
      info.StatusMessage = "Download incompleto: " + std::to_string(reply.body.size()) + " de " +
                           std::string(*declared) + " bytes";
      return false;
    }
  }
  if (const auto etag = reply.header("ETag")) {
    if (const auto want = PlainMd5(*etag); want && *want != sigv4::Hex(md5->finish())) {
      info.StatusMessage = "Download corrompido: o MD5 do objeto difere do ETag " + std::string(*etag);
      return false;
    }
  }
  stream = std::move(reply.body);
  return true;
}

std::optional<std::vector<std::string>> S3Client::ListBuckets(ResponseInfo& info) {
  const ports::HttpResponse reply = get({}, {}, info, nullptr);
  if (reply.status < 200 || reply.status > 299 || reply.bodyError) return std::nullopt;
  return BucketNames(reply.body);
}

}  // namespace zorvak::store
