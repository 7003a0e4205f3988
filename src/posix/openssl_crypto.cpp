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

ports::Md5Digest OpenSslCrypto::md5(std::string_view data) { return Digest<16>(EVP_md5(), data); }

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
