#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace zorvak::agent {

struct TlsVersions {
  bool ssl2 = false, ssl3 = false, tls10 = false, tls11 = false, tls12 = false;
  bool empty() const { return !(ssl2 || ssl3 || tls10 || tls11 || tls12); }
  friend bool operator==(const TlsVersions&, const TlsVersions&) = default;
};

struct TlsSelection {
  TlsVersions versions;
  std::vector<std::string> tokensFound;  // in search order, each to be logged
};

// Config/SSL is searched as plain text for each token, so "sslvTLSv1" is also found inside
// "sslvTLSv1_2".
TlsSelection SelectTlsVersions(std::string_view configText);

inline constexpr const char* kDefaultSsl = "[sslvTLSv1]";

}  // namespace zorvak::agent
