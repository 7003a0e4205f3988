#include <windows.h>
#include <bcrypt.h>

#include <vector>

#include "win32/win32_net.h"

namespace zorvak::win32 {
namespace {

struct Provider {
  BCRYPT_ALG_HANDLE h = nullptr;
  ~Provider() {
    if (h) BCryptCloseAlgorithmProvider(h, 0);
  }
};
struct Hash {
  BCRYPT_HASH_HANDLE h = nullptr;
  ~Hash() {
    if (h) BCryptDestroyHash(h);
  }
};

void Check(NTSTATUS status, const char* what) {
  if (!BCRYPT_SUCCESS(status)) {
    throw ports::CryptoError(std::string(what) + " falhou (NTSTATUS 0x" + [&] {
      char buf[16];
      wsprintfA(buf, "%08lX", static_cast<unsigned long>(status));
      return std::string(buf);
    }() + ")");
  }
}

// One hash or HMAC computation, fed piece by piece.
class BCryptHash final : public ports::Md5Hasher {
 public:
  BCryptHash(const wchar_t* algorithm, std::string_view key, bool hmac) {
    Check(BCryptOpenAlgorithmProvider(&p_.h, algorithm, nullptr, hmac ? BCRYPT_ALG_HANDLE_HMAC_FLAG : 0),
          "BCryptOpenAlgorithmProvider");
    // Wine's hash object size differs from Windows': always ask.
    DWORD objectSize = 0, got = 0;
    Check(BCryptGetProperty(p_.h, BCRYPT_OBJECT_LENGTH, reinterpret_cast<PUCHAR>(&objectSize), sizeof objectSize, &got, 0),
          "BCryptGetProperty");
    object_.resize(objectSize);
    Check(BCryptCreateHash(p_.h, &h_.h, object_.data(), objectSize,
                           hmac ? reinterpret_cast<PUCHAR>(const_cast<char*>(key.data())) : nullptr,
                           hmac ? static_cast<ULONG>(key.size()) : 0, 0),
          "BCryptCreateHash");
  }
  void update(std::string_view data) override {
    // BCryptHashData takes a ULONG length: feed large inputs in pieces.
    constexpr std::size_t kPiece = 1u << 30;
    for (std::size_t pos = 0; pos < data.size(); pos += kPiece) {
      const std::size_t n = data.size() - pos < kPiece ? data.size() - pos : kPiece;
      Check(BCryptHashData(h_.h, reinterpret_cast<PUCHAR>(const_cast<char*>(data.data() + pos)), static_cast<ULONG>(n), 0),
            "BCryptHashData");
    }
  }
  template <std::size_t N>
  std::array<std::uint8_t, N> finishAs() {
    std::array<std::uint8_t, N> out{};
    Check(BCryptFinishHash(h_.h, out.data(), N, 0), "BCryptFinishHash");
    return out;
  }
  ports::Md5Digest finish() override { return finishAs<16>(); }

 private:
  Provider p_;
  std::vector<UCHAR> object_;
  Hash h_;  // destroyed before the provider
};

}  // namespace

ports::Sha256Digest BCryptCrypto::sha256(std::string_view data) {
  BCryptHash h(BCRYPT_SHA256_ALGORITHM, {}, false);
  h.update(data);
  return h.finishAs<32>();
}

ports::Sha256Digest BCryptCrypto::hmacSha256(std::string_view key, std::string_view data) {
  BCryptHash h(BCRYPT_SHA256_ALGORITHM, key, true);
  h.update(data);
  return h.finishAs<32>();
}

std::unique_ptr<ports::Md5Hasher> BCryptCrypto::newMd5() {
  return std::make_unique<BCryptHash>(BCRYPT_MD5_ALGORITHM, std::string_view{}, false);
}

}  // namespace zorvak::win32
