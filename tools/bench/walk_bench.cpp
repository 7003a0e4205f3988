// walk_bench FOLDER: the discovery's walk over FOLDER with its progress text, as the window
// runs it; prints the entries examined and the seconds taken.
#include <chrono>
#include <cstdio>

#include "posix/posix_platform.h"
#include "wizard/discovery_walk.h"

int main(int argc, char** argv) {
  if (argc != 2) return 2;
  zorvak::posix::PosixFileSystem files;
  long updates = 0;
  std::size_t shown = 0;
  zorvak::wizard::DiscoveryWalk walk(files, [&](const std::string& text) {
    ++updates;
    shown += text.size();
  });
  std::vector<std::string> found;
  std::string start = argv[1];
  if (!start.ends_with('/')) start += '/';
  const auto t0 = std::chrono::steady_clock::now();
  walk.MapeiaDiretorio(start, zorvak::wizard::kDidedIni, found);
  const double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
  // Every 101st entry below the start gets a progress text: the entries are about 101 per update.
  std::printf("%ld %.3f %zu\n", updates, s, found.size());
  return shown > 0 ? 0 : 1;
}
