// Network adapters for native builds: libcurl for HTTP, OpenSSL for hashes and TLS.
#pragma once

#include <memory>

#include "ports/crypto.h"
#include "ports/http.h"

namespace zorvak::posix {

class CurlHttpClient final : public ports::HttpClient {
 public:
  explicit CurlHttpClient(ports::HttpClientSettings settings = {});
  ~CurlHttpClient() override;
  CurlHttpClient(const CurlHttpClient&) = delete;
  CurlHttpClient& operator=(const CurlHttpClient&) = delete;

  ports::HttpResponse send(const ports::HttpRequest& request) override;

 private:
  struct Handle;
  ports::HttpClientSettings settings_;
  std::unique_ptr<Handle> handle_;  // the cookies kept across requests; never a connection
};

class OpenSslCrypto final : public ports::Crypto {
 public:
  ports::Sha256Digest sha256(std::string_view data) override;
  ports::Sha256Digest hmacSha256(std::string_view key, std::string_view data) override;
  std::unique_ptr<ports::Md5Hasher> newMd5() override;
};

}  // namespace zorvak::posix
