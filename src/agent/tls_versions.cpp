#include "agent/tls_versions.h"

namespace zorvak::agent {

TlsSelection SelectTlsVersions(std::string_view configText) {
  struct Token {
    const char* text;
    bool TlsVersions::*version;
  };
  static constexpr Token kTokens[] = {
      {"sslvSSLv2", &TlsVersions::ssl2},   {"sslvSSLv3", &TlsVersions::ssl3},
      {"sslvTLSv1", &TlsVersions::tls10},  {"sslvTLSv1_1", &TlsVersions::tls11},
      {"sslvTLSv1_2", &TlsVersions::tls12}};
  TlsSelection out;
  for (const Token& t : kTokens) {
    if (configText.find(t.text) != std::string_view::npos) {
      out.versions.*t.version = true;
      out.tokensFound.emplace_back(t.text);
    }
  }
  return out;
}

}  // namespace zorvak::agent
