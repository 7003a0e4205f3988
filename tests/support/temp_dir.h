#pragma once

#include <string>

namespace zorvak::test {

// A fresh folder under the system's temporary folder, removed with everything in it.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::string& path() const { return path_; }  // ends in "/"
  std::string file(const std::string& name) const { return path_ + name; }
  std::string read(const std::string& name) const;
  void write(const std::string& name, const std::string& bytes) const;

 private:
  std::string path_;
};

}  // namespace zorvak::test
