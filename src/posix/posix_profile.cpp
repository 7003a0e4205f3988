#include <errno.h>
#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include "core/ini_document.h"
#include "posix/posix_platform.h"

namespace zorvak::posix {
namespace {

bool readWhole(const std::string& path, std::string& out) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  char buf[65536];
  for (;;) {
    const ssize_t n = ::read(fd, buf, sizeof buf);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      ::close(fd);
      return n == 0;
    }
    out.append(buf, static_cast<std::size_t>(n));
  }
}

// Writes beside the target and renames over it, so a reader or a crash never sees half a file.
bool replaceAtomically(const std::string& path, const std::string& bytes) {
  std::string tmp = path + ".XXXXXX";
  const int fd = ::mkstemp(tmp.data());
  if (fd < 0) return false;
  bool ok = ::fchmod(fd, 0644) == 0;
  std::string_view rest = bytes;
  while (ok && !rest.empty()) {
    const ssize_t n = ::write(fd, rest.data(), rest.size());
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) ok = false;
    else rest.remove_prefix(static_cast<std::size_t>(n));
  }
  ok = ok && ::fsync(fd) == 0;
  ok = (::close(fd) == 0) && ok;
  ok = ok && ::rename(tmp.c_str(), path.c_str()) == 0;
  if (!ok) ::unlink(tmp.c_str());
  return ok;
}

class PosixProfileFile final : public ports::ProfileFile {
 public:
  explicit PosixProfileFile(std::string_view name) : name_(name), path_(nativePath(name)) {}

  const std::string& fileName() const override { return name_; }

  std::string readString(std::string_view section, std::string_view key,
                         std::string_view fallback) override {
    std::string bytes;
    if (!readWhole(path_, bytes)) return std::string(fallback);
    const auto value = IniDocument::parse(bytes).find(section, key);
    return profileReadValue(value ? *value : fallback);
  }

  bool writeString(std::string_view section, std::string_view key, std::string_view value) override {
    std::string bytes;
    if (!readWhole(path_, bytes) && errno != ENOENT) return false;
    IniDocument doc = IniDocument::parse(bytes);
    if (!doc.set(section, key, value)) return true;
    return replaceAtomically(path_, doc.serialize());
  }

 private:
  std::string name_;
  std::string path_;
};

}  // namespace

std::unique_ptr<ports::ProfileFile> PosixProfileStore::open(std::string_view fileName) {
  return std::make_unique<PosixProfileFile>(fileName);
}

}  // namespace zorvak::posix
