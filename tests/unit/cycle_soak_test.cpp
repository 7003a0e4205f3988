// 10,000 quiet cycles (no request, a fresh heartbeat, five-minute ticks over five weeks) on the
// virtual clock: the memory the program holds, its open files and its service and process
// handles do not grow. Run under the sanitizer build (linux-asan) it also proves no leak.
#include <gtest/gtest.h>
#include <malloc.h>

#include <cstdlib>
#include <filesystem>

#include "support/cycle_rig.h"

#if defined(__SANITIZE_ADDRESS__)
// From the sanitizer runtime (its header is not installed with gcc here).
extern "C" std::size_t __sanitizer_get_current_allocated_bytes();
#endif

namespace zorvak::agent {
namespace {

std::size_t HeldBytes() {
#if defined(__SANITIZE_ADDRESS__)
  return __sanitizer_get_current_allocated_bytes();
#else
  return mallinfo2().uordblks;
#endif
}

std::size_t OpenFiles() {
  std::size_t n = 0;
  for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator("/proc/self/fd")) ++n;
  return n;
}

// Each cycle writes the configuration file twice with an fsync, about 1 ms here: the full soak
// runs in the sanitizer build (scripts/test), the everyday unit run takes a short one.
#if defined(__SANITIZE_ADDRESS__)
constexpr int kSoakCycles = 10000;
#else
constexpr int kSoakCycles = 1000;
#endif

TEST(CycleSoakTest, QuietCyclesHoldNoMoreMemoryOrHandles) {
  const char* env = std::getenv("ZORVAK_SOAK_CYCLES");
  const int cycles = env ? std::atoi(env) : kSoakCycles;
  test::CycleRig rig;
  rig.start();
  const auto quiet = [&] {
    rig.clock.advance(300000);
    rig.heartbeat(rig.clock.now());  // the engine is alive
    rig.cycle();
    rig.services.calls.clear();  // the fake's own record, not the program's
  };
  for (int i = 0; i < 100; ++i) quiet();  // the first cycle's test and the log's first days
  const std::size_t bytes = HeldBytes(), files = OpenFiles();
  const std::size_t messages = rig.messages().size();
  for (int i = 100; i < cycles; ++i) quiet();
  EXPECT_LE(HeldBytes(), bytes + 16 * 1024) << "held before: " << bytes;
  EXPECT_EQ(OpenFiles(), files);
  EXPECT_TRUE(rig.services.allClosed());
  EXPECT_TRUE(rig.processes.allClosed());
  EXPECT_EQ(rig.messages().size(), messages + 2u * (cycles - 100));
  EXPECT_TRUE(rig.clock.pauses().empty());
}

}  // namespace
}  // namespace zorvak::agent
