// Hashes for request signing and download checks: OpenSSL (src/posix), BCrypt (src/win32).
#pragma once

#include <array>
#include <cstdint>
#include <stdexcept>
#include <string_view>

namespace zorvak::ports {

using Sha256Digest = std::array<std::uint8_t, 32>;
using Md5Digest = std::array<std::uint8_t, 16>;

class CryptoError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class Crypto {
 public:
  virtual ~Crypto() = default;
  virtual Sha256Digest sha256(std::string_view data) = 0;
  virtual Sha256Digest hmacSha256(std::string_view key, std::string_view data) = 0;
  virtual Md5Digest md5(std::string_view data) = 0;
};

}  // namespace zorvak::ports
