// The distribution store: GetObject and ListBuckets on Amazon S3's REST interface, signed with
// Signature Version 4 over the crypto port and sent over the HTTP port.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "ports/clock.h"
#include "ports/crypto.h"
#include "ports/http.h"

namespace zorvak::store {

// The connection settings (`AmzC`, `AmzCUpd`).
struct StoreSettings {
  std::string accountName, accountKey;
  std::string endpoint;         // host[:port]
  std::string protocol = "http";  // "http" or "https"
  std::string region = "sa-east-1";
};

// The build's constants with the caller's protocol.
StoreSettings DistributionStore(std::string protocol);

struct ResponseInfo {
  int StatusCode = 0;  // 0 until a reply arrives
  std::string StatusMessage;
};

// The bucket goes into the path when the endpoint is an IP address or carries a port (a local or
// private store), into the host name otherwise (virtual-hosted, as AWS prefers).
bool UsesPathStyle(std::string_view endpoint);

class S3Client {
 public:
  S3Client(ports::HttpClient& http, ports::Crypto& crypto, ports::Clock& clock, StoreSettings settings)
      : http_(http), crypto_(crypto), clock_(clock), settings_(std::move(settings)) {}

  // True when the whole object arrived into `stream` (replaced, not appended). False for a reply
  // that is not a success, and for a body that is shorter than its Content-Length or whose MD5
  // differs from a plain-MD5 ETag: the status text then says what went wrong. Raises
  // ports::HttpError when the store gives no reply at all.
  bool GetObject(std::string_view bucket, std::string_view key, std::string& stream, ResponseInfo& info);
  // The account's bucket names; nullopt for a reply that is not a success. Raises like GetObject.
  std::optional<std::vector<std::string>> ListBuckets(ResponseInfo& info);

 private:
  ports::HttpResponse get(std::string_view bucket, std::string_view key, ResponseInfo& info, ports::Md5Hasher* md5);

  ports::HttpClient& http_;
  ports::Crypto& crypto_;
  ports::Clock& clock_;
  StoreSettings settings_;
};

}  // namespace zorvak::store
