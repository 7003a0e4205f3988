// Hashes for request signing and download checks: OpenSSL (src/posix), BCrypt (src/win32).
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string_view>

namespace zorvak::ports {

using Sha256Digest = std::array<std::uint8_t, 32>;
using Md5Digest = std::array<std::uint8_t, 16>;

class CryptoError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// MD5 fed piece by piece, so a download is checked while it arrives.
class Md5Hasher {
 public:
  virtual ~Md5Hasher() = default;
  virtual void update(std::string_view data) = 0;
  virtual Md5Digest finish() = 0;  // once
};

class Crypto {
 public:
  virtual ~Crypto() = default;
  virtual Sha256Digest sha256(std::string_view data) = 0;
  virtual Sha256Digest hmacSha256(std::string_view key, std::string_view data) = 0;
  virtual std::unique_ptr<Md5Hasher> newMd5() = 0;

  Md5Digest md5(std::string_view data) {
    const auto h = newMd5();
    h->update(data);
    return h->finish();
  }
};

}  // namespace zorvak::ports
