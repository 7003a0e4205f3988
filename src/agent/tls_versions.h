#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "ports/http.h"

namespace zorvak::agent {

using TlsVersions = ports::TlsVersions;

struct TlsSelection {
  TlsVersions versions;
  std::vector<std::string> tokensFound;  // in search order, each to be logged
};

// Config/SSL is searched as plain text for each token, so "sslvTLSv1" is also found inside
// "sslvTLSv1_2".
TlsSelection SelectTlsVersions(std::string_view configText);

inline constexpr const char* kDefaultSsl = "[sslvTLSv1]";

}  // namespace zorvak::agent
