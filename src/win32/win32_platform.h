// Adapters on the Windows API.
#pragma once

#include <memory>
#include <string>

#include "ports/platform.h"
#include "ports/system.h"
#include "win32/win32_net.h"
#include "win32/win32_service_manager.h"

namespace zorvak::win32 {

// Full name of the running executable, and its folder with a trailing backslash.
std::string exePath();
std::string exeFolder();

class Win32Clock final : public ports::Clock {
 public:
  DateTime now() override;
  std::int64_t monotonicMs() override;
  void sleepMs(std::int64_t ms) override;
  std::unique_ptr<ports::Event> makeEvent() override;
};

class Win32FileSystem final : public ports::FileSystem {
 public:
  bool fileExists(std::string_view path) override;
  bool directoryExists(std::string_view path) override;
  std::string readFile(std::string_view path) override;
  void writeFile(std::string_view path, std::string_view bytes) override;
  void appendFile(std::string_view path, std::string_view bytes) override;
  bool createDirectories(std::string_view path) override;
  bool renameFile(std::string_view from, std::string_view to) override;
  bool deleteFile(std::string_view path) override;
  std::optional<std::uint64_t> fileSize(std::string_view path) override;
  std::vector<ports::DirEntry> listDirectory(std::string_view path) override;
};

// GetPrivateProfileStringW / WritePrivateProfileStringW.
class Win32ProfileStore final : public ports::ProfileStore {
 public:
  std::unique_ptr<ports::ProfileFile> open(std::string_view fileName) override;
};

// The user locale's short date and long time patterns, read afresh at every call.
class Win32RegionalSettings final : public ports::RegionalSettings {
 public:
  RegionalFormat format() override;
};

// One of each, for a program's main.
struct Win32Platform {
  Win32Clock clock;
  Win32FileSystem files;
  Win32ProfileStore profiles;
  Win32RegionalSettings regional;
  ports::Platform ports{clock, files, profiles, regional};
  Win32ServiceManager services;
  Win32Processes processes;
  ports::ConnectorOf<WinHttpClient> http;
  BCryptCrypto crypto;
  ports::SystemPorts system{services, processes, http, crypto};
};

}  // namespace zorvak::win32
