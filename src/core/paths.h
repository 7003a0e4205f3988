#pragma once

#include <string>
#include <string_view>

namespace zorvak {

// A folder name with one trailing separator: a backslash unless it already ends in one
// (a slash counts too, for native builds).
inline std::string withTrailingSeparator(std::string_view folder) {
  std::string out(folder);
  if (out.empty() || (out.back() != '\\' && out.back() != '/')) out += '\\';
  return out;
}

inline constexpr const char* kConfigFileName = "Zorvak.ini";

}  // namespace zorvak
