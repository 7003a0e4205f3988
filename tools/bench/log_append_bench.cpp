// Cost of one daily-log entry on an empty day file against one on a 10 MiB day file.
// Prints the median time per entry of each and their ratio.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "agent/grava_log.h"
#include "posix/posix_platform.h"

namespace {

using namespace zorvak;

double perEntryMicros(const std::string& folder, std::size_t prefill, int entries) {
  posix::PosixClock clock;
  posix::PosixFileSystem files;
  posix::FixedRegionalSettings regional;
  std::filesystem::remove_all(folder);
  files.createDirectories(folder + "log");
  agent::AgentLog log(folder, clock, files, regional);
  const std::string day = log.dayFileName(clock.now());
  if (prefill) {
    std::ofstream(posix::nativePath(day), std::ios::binary) << std::string(prefill, 'x');
  }
  const auto start = std::chrono::steady_clock::now();
  for (int i = 0; i < entries; ++i) log.GravaLogTXT("i:Verificação finalizada");
  const auto end = std::chrono::steady_clock::now();
  return std::chrono::duration<double, std::micro>(end - start).count() / entries;
}

double median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
  const std::string folder = (argc > 1 ? std::string(argv[1]) : std::string("/tmp/zorvak-log-bench")) + "/";
  const int entries = 2000;
  std::vector<double> empty, large;
  for (int round = 0; round < 7; ++round) {
    empty.push_back(perEntryMicros(folder, 0, entries));
    large.push_back(perEntryMicros(folder, 10u << 20, entries));
  }
  std::filesystem::remove_all(folder);
  const double e = median(empty), l = median(large);
  std::printf("log entry on an empty day file: %.2f us\n", e);
  std::printf("log entry on a 10 MiB day file: %.2f us\n", l);
  std::printf("ratio (target <= 1.2): %.3f\n", l / e);
  return 0;
}
