#include <windows.h>

#include "ports/profile_file.h"
#include "win32/wide.h"
#include "win32/win32_platform.h"

namespace zorvak::win32 {
namespace {

class Win32ProfileFile final : public ports::ProfileFile {
 public:
  explicit Win32ProfileFile(std::string_view name) : name_(name), wide_(widen(name)) {}

  const std::string& fileName() const override { return name_; }

  std::string readString(std::string_view section, std::string_view key,
                         std::string_view fallback) override {
    wchar_t buffer[ports::kProfileValueMaxChars + 1];
    const DWORD n = GetPrivateProfileStringW(widen(section).c_str(), widen(key).c_str(),
                                             widen(fallback).c_str(), buffer, ports::kProfileValueMaxChars + 1,
                                             wide_.c_str());
    return narrow(std::wstring_view(buffer, n));
  }

  bool writeString(std::string_view section, std::string_view key, std::string_view value) override {
    return WritePrivateProfileStringW(widen(section).c_str(), widen(key).c_str(), widen(value).c_str(),
                                      wide_.c_str()) != 0;
  }

 private:
  std::string name_;
  std::wstring wide_;
};

}  // namespace

std::unique_ptr<ports::ProfileFile> Win32ProfileStore::open(std::string_view fileName) {
  return std::make_unique<Win32ProfileFile>(fileName);
}

}  // namespace zorvak::win32
