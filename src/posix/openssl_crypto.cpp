#include <openssl/evp.h>
#include <openssl/hmac.h>

#include "posix/posix_net.h"

namespace zorvak::posix {
namespace {

template <std::size_t N>
std::array<std::uint8_t, N> Digest(const EVP_MD* md, std::string_view data) {
  std::array<std::uint8_t, N> out{};
  unsigned int size = 0;
  if (EVP_Digest(data.data(), data.size(), out.data(), &size, md, nullptr) != 1 || size != N)
    throw ports::CryptoError("EVP_Digest falhou");
  return out;
}

}  // namespace

ports::Sha256Digest OpenSslCrypto::sha256(std::string_view data) { return Digest<32>(EVP_sha256(), data); }

namespace {

class OpenSslMd5 final : public ports::Md5Hasher {
 public:
  OpenSslMd5() : ctx_(EVP_MD_CTX_new()) {
    if (!ctx_ || EVP_DigestInit_ex(ctx_, EVP_md5(), nullptr) != 1) throw ports::CryptoError("MD5 init falhou");
  }
  ~OpenSslMd5() override { EVP_MD_CTX_free(ctx_); }
  void update(std::string_view data) override {
    if (EVP_DigestUpdate(ctx_, data.data(), data.size()) != 1) throw ports::CryptoError("MD5 falhou");
  }
  ports::Md5Digest finish() override {
    ports::Md5Digest out{};
    unsigned int size = 0;
    if (EVP_DigestFinal_ex(ctx_, out.data(), &size) != 1 || size != out.size()) throw ports::CryptoError("MD5 falhou");
    return out;
  }

 private:
  EVP_MD_CTX* ctx_;
};

}  // namespace

std::unique_ptr<ports::Md5Hasher> OpenSslCrypto::newMd5() { return std::make_unique<OpenSslMd5>(); }

ports::Sha256Digest OpenSslCrypto::hmacSha256(std::string_view key, std::string_view data) {
  ports::Sha256Digest out{};
  unsigned int size = 0;
  if (!HMAC(EVP_sha256(), key.data(), static_cast<int>(key.size()),
            reinterpret_cast<const unsigned char*>(data.data()), data.size(), out.data(), &size) ||
      size != out.size())
    throw ports::CryptoError("HMAC-SHA256 falhou");
  return out;
}

}  // namespace zorvak::posix
