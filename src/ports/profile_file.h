// One INI file, read and written one value at a time with the Windows profile semantics
// (GetPrivateProfileStringW / WritePrivateProfileStringW). Nothing is cached between calls.
#pragma once

#include <memory>
#include <string>
#include <string_view>

namespace zorvak::ports {

inline constexpr std::size_t kProfileValueMaxChars = 2047;  // a 2048-character buffer

class ProfileFile {
 public:
  virtual ~ProfileFile() = default;
  virtual const std::string& fileName() const = 0;
  // The stored value (trimmed, surrounding quotes removed, at most kProfileValueMaxChars
  // characters), or `fallback` when the key is absent or the file cannot be read.
  virtual std::string readString(std::string_view section, std::string_view key,
                                 std::string_view fallback) = 0;
  // False when the file cannot be written.
  virtual bool writeString(std::string_view section, std::string_view key,
                           std::string_view value) = 0;
};

class ProfileStore {
 public:
  virtual ~ProfileStore() = default;
  virtual std::unique_ptr<ProfileFile> open(std::string_view fileName) = 0;
};

}  // namespace zorvak::ports
