// Crash safety of the engine update: the program stops (a crash, a power loss) at each change
// the update's cycle makes to the disk, before it, after it, or half-way through a write; the
// next process then runs a cycle with nothing reachable. An engine executable must be there
// afterwards, and it must be a whole one: the old engine or the new.
#include <gtest/gtest.h>

#include <cstdio>

#include "support/cycle_rig.h"

namespace zorvak::agent {
namespace {

using test::CycleRig;
using test::FaultyFiles;

struct Scenario {
  const char* name;
  const char* old;    // ZorvakService.old before the update; nullptr: absent
  const char* fresh;  // a left-over ZorvakService.new
};

void Arrange(CycleRig& rig, const Scenario& s) {
  if (s.old) rig.dir.write("ZorvakService.old", s.old);
  if (s.fresh) rig.dir.write("ZorvakService.new", s.fresh);
}

TEST(UpdateCrashTest, EngineSurvivesACrashAtEveryFileStep) {
  const Scenario scenarios[] = {{"with a previous .old", "MZ engine version 0", nullptr},
                                {"without .old", nullptr, nullptr},
                                {"with a left-over .new", nullptr, "MZ half"}};
  int tried = 0, lost = 0;
  for (const Scenario& s : scenarios) {
    SCOPED_TRACE(s.name);
    std::vector<bool> kinds;
    {
      CycleRig rig("[Atualizar]\nBackup=1\n");
      Arrange(rig, s);
      rig.start();
      rig.files.kinds.clear();
      rig.files.changes = 0;
      rig.cycle();
      ASSERT_EQ(rig.content("ZorvakService.exe"), test::kNewEngine);
      kinds = rig.files.kinds;
    }
    for (int k = 0; k < static_cast<int>(kinds.size()); ++k) {
      for (const auto when : {FaultyFiles::When::Before, FaultyFiles::When::After, FaultyFiles::When::HalfWritten}) {
        if (when == FaultyFiles::When::HalfWritten && !kinds[k]) continue;
        SCOPED_TRACE("change " + std::to_string(k) + ", mode " + std::to_string(static_cast<int>(when)));
        CycleRig rig("[Atualizar]\nBackup=1\n");
        Arrange(rig, s);
        rig.start();
        rig.files.changes = 0;
        rig.files.crashAt = k;
        rig.files.when = when;
        bool crashed = false;
        try {
          rig.cycle();
        } catch (const test::Crash&) {
          crashed = true;
        }
        ASSERT_TRUE(crashed);
        ++tried;
        rig.files.crashAt = -1;
        rig.http.routes.clear();  // the store, the probe and the server are all out of reach
        rig.start();
        rig.cycle();
        const std::string exe = rig.content("ZorvakService.exe");
        const bool whole = exe == test::kOldEngine || exe == test::kNewEngine;
        EXPECT_TRUE(whole) << "ZorvakService.exe: " << exe;
        lost += !whole;
      }
    }
  }
  std::printf("crash points tried: %d, engine lost: %d\n", tried, lost);
  RecordProperty("crash_points", tried);
  RecordProperty("engine_lost", lost);
  EXPECT_GT(tried, 30);
}

}  // namespace
}  // namespace zorvak::agent
