// Adapters for native builds: POSIX files and clock, our INI engine, fixed regional patterns.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "ports/platform.h"

namespace zorvak::posix {

// Windows-form path to a POSIX one: every backslash becomes a slash, doubled ones collapse.
std::string nativePath(std::string_view path);

class PosixClock final : public ports::Clock {
 public:
  DateTime now() override;
  std::int64_t monotonicMs() override;
  void sleepMs(std::int64_t ms) override;
  std::unique_ptr<ports::Event> makeEvent() override;
};

class PosixFileSystem final : public ports::FileSystem {
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

// Our INI engine on a real file: every call reads the file afresh; a write that changes
// something replaces the file atomically (temporary file in the same folder, then rename).
class PosixProfileStore final : public ports::ProfileStore {
 public:
  std::unique_ptr<ports::ProfileFile> open(std::string_view fileName) override;
};

class FixedRegionalSettings final : public ports::RegionalSettings {
 public:
  FixedRegionalSettings() = default;
  explicit FixedRegionalSettings(RegionalFormat f) : format_(std::move(f)) {}
  RegionalFormat format() override { return format_; }

 private:
  RegionalFormat format_;
};

}  // namespace zorvak::posix
