// A file port over the real one that fails chosen renames and can "crash" the program at its
// n-th change to the disk (a write, an append, a delete, a rename): before the change, after it,
// or half-way through a write, as a power loss would. The crash is an exception no handler of
// the programs catches (it is no std::exception), so the test sees the program stop right there.
#pragma once

#include <functional>
#include <set>
#include <string>
#include <utility>

#include "posix/posix_platform.h"

namespace zorvak::test {

struct Crash {};

class FaultyFiles final : public ports::FileSystem {
 public:
  enum class When { Before, After, HalfWritten };

  std::set<std::pair<std::string, std::string>> failingRenames;  // (from, to)
  int changes = 0;      // changes made so far
  int crashAt = -1;     // index of the change that crashes; -1: none
  When when = When::Before;
  std::vector<bool> kinds;  // per change made: whether it was a write

  bool fileExists(std::string_view p) override { return real_.fileExists(p); }
  bool directoryExists(std::string_view p) override { return real_.directoryExists(p); }
  std::string readFile(std::string_view p) override { return real_.readFile(p); }
  std::optional<std::uint64_t> fileSize(std::string_view p) override { return real_.fileSize(p); }
  std::vector<ports::DirEntry> listDirectory(std::string_view p) override { return real_.listDirectory(p); }
  bool createDirectories(std::string_view p) override { return real_.createDirectories(p); }

  void writeFile(std::string_view p, std::string_view bytes) override {
    change(true, [&] { real_.writeFile(p, bytes); },
           [&] { real_.writeFile(p, bytes.substr(0, bytes.size() / 2)); });
  }
  void appendFile(std::string_view p, std::string_view bytes) override {
    change(false, [&] { real_.appendFile(p, bytes); });
  }
  bool deleteFile(std::string_view p) override {
    bool ok = false;
    change(false, [&] { ok = real_.deleteFile(p); });
    return ok;
  }
  bool renameFile(std::string_view from, std::string_view to) override {
    bool ok = false;
    change(false, [&] {
      ok = !failingRenames.count({std::string(from), std::string(to)}) && real_.renameFile(from, to);
    });
    return ok;
  }

 private:
  void change(bool isWrite, const std::function<void()>& act, const std::function<void()>& half = {}) {
    kinds.push_back(isWrite);
    if (changes++ != crashAt) return act();
    if (when == When::After) act();
    if (when == When::HalfWritten && half) half();
    throw Crash{};
  }

  posix::PosixFileSystem real_;
};

}  // namespace zorvak::test
