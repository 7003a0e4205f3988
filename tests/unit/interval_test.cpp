#include "agent/interval.h"

#include <gtest/gtest.h>

#include "agent/tls_versions.h"

namespace zorvak::agent {
namespace {

TEST(ComputeInterval, LetterThenNumber) {
  const std::pair<const char*, std::int32_t> cases[] = {
      {"", 300000},        {"M15", 900000},    {"H2", 7200000},     {"M", 300000},
      {"H", 18000000},     {"Mx", 300000},     {"Hx", 18000000},    {"m15", 300000},
      {"h2", 300000},      {"X15", 300000},    {"15", 300000},      {"M0", 0},
      {"M0x10", 960000},   {"H596", 2145600000}, {"H597", INT32_MAX}, {"M35792", INT32_MAX},
      {"M-5", 300000},     {"H99999999999", 18000000},  // number not an integer: 5 hours
  };
  for (const auto& [text, ms] : cases) EXPECT_EQ(ComputeInterval(text), ms) << text;
}

TEST(SelectTlsVersions, SubstringSearchInTokenOrder) {
  struct Case {
    const char* text;
    TlsVersions want;
    std::vector<std::string> logged;
  };
  const Case cases[] = {
      {kDefaultSsl, {.tls10 = true}, {"sslvTLSv1"}},
      {"[sslvTLSv1_2]", {.tls10 = true, .tls12 = true}, {"sslvTLSv1", "sslvTLSv1_2"}},
      {"[sslvTLSv1,sslvTLSv1_1,sslvTLSv1_2]", {.tls10 = true, .tls11 = true, .tls12 = true},
       {"sslvTLSv1", "sslvTLSv1_1", "sslvTLSv1_2"}},
      {"[sslvSSLv23]", {.ssl2 = true}, {"sslvSSLv2"}},
      {"[sslvTLSv1_2,sslvSSLv3]", {.ssl3 = true, .tls10 = true, .tls12 = true},
       {"sslvSSLv3", "sslvTLSv1", "sslvTLSv1_2"}},
      {"none", {}, {}},
      {"SSLVTLSV1", {}, {}},  // case matters
  };
  for (const Case& c : cases) {
    const TlsSelection got = SelectTlsVersions(c.text);
    EXPECT_EQ(got.versions, c.want) << c.text;
    EXPECT_EQ(got.tokensFound, c.logged) << c.text;
  }
}

}  // namespace
}  // namespace zorvak::agent
