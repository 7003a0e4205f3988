#include "support/temp_dir.h"

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace zorvak::test {

TempDir::TempDir() {
  std::string pattern = (std::filesystem::temp_directory_path() / "zorvak-XXXXXX").string();
  if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
  path_ = pattern + "/";
}

TempDir::~TempDir() {
  std::error_code ec;
  std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                               std::filesystem::perm_options::add, ec);
  std::filesystem::remove_all(path_, ec);
}

std::string TempDir::read(const std::string& name) const {
  std::ifstream in(path_ + name, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

void TempDir::write(const std::string& name, const std::string& bytes) const {
  std::ofstream out(path_ + name, std::ios::binary | std::ios::trunc);
  out << bytes;
}

}  // namespace zorvak::test
