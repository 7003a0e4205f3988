// Network adapters on the Windows API: WinHTTP for HTTP, BCrypt for hashes.
#pragma once

#include <memory>

#include "ports/crypto.h"
#include "ports/http.h"

namespace zorvak::win32 {

class WinHttpClient final : public ports::HttpClient {
 public:
  explicit WinHttpClient(ports::HttpClientSettings settings = {});
  ~WinHttpClient() override;
  WinHttpClient(const WinHttpClient&) = delete;
  WinHttpClient& operator=(const WinHttpClient&) = delete;

  ports::HttpResponse send(const ports::HttpRequest& request) override;

 private:
  struct Session;
  ports::HttpClientSettings settings_;
  std::unique_ptr<Session> session_;  // kept for its cookies; connections are never reused
};

class BCryptCrypto final : public ports::Crypto {
 public:
  ports::Sha256Digest sha256(std::string_view data) override;
  ports::Sha256Digest hmacSha256(std::string_view key, std::string_view data) override;
  std::unique_ptr<ports::Md5Hasher> newMd5() override;
};

}  // namespace zorvak::win32
