// Files as the programs see them. Paths are UTF-8 in Windows form (backslashes); the POSIX
// adapter reads a backslash as the path separator, so the same names work in native tests.
#pragma once

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace zorvak::ports {

// A failed file operation; the text names the file and the system's reason.
class FileError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct DirEntry {
  std::string name;
  bool isDirectory = false;
  bool hidden = false;  // hidden or system: a listing that skips them leaves these out
};

class FileSystem {
 public:
  virtual ~FileSystem() = default;
  virtual bool fileExists(std::string_view path) = 0;
  virtual bool directoryExists(std::string_view path) = 0;
  // The whole file; throws FileError when it cannot be read.
  virtual std::string readFile(std::string_view path) = 0;
  // Replaces the file's content; throws FileError.
  virtual void writeFile(std::string_view path, std::string_view bytes) = 0;
  // Adds `bytes` at the end with a single write, creating the file; throws FileError.
  virtual void appendFile(std::string_view path, std::string_view bytes) = 0;
  // Creates the folder and any missing parents; false when it cannot.
  virtual bool createDirectories(std::string_view path) = 0;
  virtual bool renameFile(std::string_view from, std::string_view to) = 0;
  virtual bool deleteFile(std::string_view path) = 0;
  virtual std::optional<std::uint64_t> fileSize(std::string_view path) = 0;
  virtual std::vector<DirEntry> listDirectory(std::string_view path) = 0;
};

}  // namespace zorvak::ports
