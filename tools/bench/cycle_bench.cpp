// One quiet verification cycle (no request, a fresh heartbeat) on the virtual clock: CPU time
// per cycle, against one daily-log entry measured in the same run; and the resident memory
// after 10,000 quiet cycles against after the first.
#include <sys/resource.h>

#include <cstdio>
#include <ctime>
#include <fstream>
#include <string>

#include "support/cycle_rig.h"

namespace {

using namespace zorvak;

double CpuMicros() {
  timespec t{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return t.tv_sec * 1e6 + t.tv_nsec / 1e3;
}

long ResidentKiB() {
  std::ifstream status("/proc/self/status");
  for (std::string line; std::getline(status, line);) {
    if (line.starts_with("VmRSS:")) return std::stol(line.substr(6));
  }
  return 0;
}

}  // namespace

int main() {
  test::CycleRig rig;
  rig.start();
  const auto quiet = [&] {
    rig.clock.advance(300000);
    rig.heartbeat(rig.clock.now());  // the engine's write, outside the measured part
    const double start = CpuMicros();
    rig.cycle();
    rig.services.calls.clear();
    return CpuMicros() - start;
  };
  quiet();  // the first cycle runs the reachability test
  const long afterOne = ResidentKiB();
  double cycleCpu = 0;
  const int cycles = 10000;
  for (int i = 1; i < cycles; ++i) cycleCpu += quiet();
  const long afterAll = ResidentKiB();
  cycleCpu /= cycles - 1;

  double entryCpu = 0;
  const int entries = 2000;
  for (int i = 0; i < entries; ++i) {
    const double start = CpuMicros();
    rig.process->log.GravaLogTXT("x:Verificação finalizada");
    entryCpu += CpuMicros() - start;
  }
  entryCpu /= entries;

  std::printf("quiet cycle: %.1f us CPU (target < 1000 us); one log entry: %.1f us; cycle/entry %.1f\n",
              cycleCpu, entryCpu, cycleCpu / entryCpu);
  std::printf("resident memory: %ld KiB after 1 cycle, %ld KiB after %d; ratio %.3f (target <= 1.05)\n",
              afterOne, afterAll, cycles, static_cast<double>(afterAll) / afterOne);
  return 0;
}
