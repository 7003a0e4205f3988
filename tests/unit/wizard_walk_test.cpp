#include "wizard/discovery_walk.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "posix/posix_platform.h"
#include "support/temp_dir.h"
#include "support/wizard_fakes.h"

namespace zorvak::wizard {
namespace {

void touch(const std::string& path) {
  std::filesystem::create_directories(std::filesystem::path(path).parent_path());
  std::FILE* f = std::fopen(path.c_str(), "wb");
  std::fclose(f);
}

class WalkTest : public ::testing::Test {
 protected:
  std::vector<std::string> walk(const std::string& start) {
    std::vector<std::string> found;
    walk_.MapeiaDiretorio(start, kDidedIni, found);
    return found;
  }
  test::TempDir dir_;
  test::MarkedFiles files_;
  std::vector<std::string> progress_;
  DiscoveryWalk walk_{files_, [this](const std::string& t) { progress_.push_back(t); }};
};

TEST_F(WalkTest, MatchRulesNestingDotFoldersAndHiddenEntries) {
  const std::string r = dir_.path();
  touch(r + "DIDED.INI");                   // the starting folder: any case
  touch(r + "a/Dided.ini");                 // below it: only the exact name
  touch(r + "b/dided.ini");
  touch(r + "b/nested/dided.ini");          // inside an installation: found too
  touch(r + ".hidden_by_dot/dided.ini");    // never entered
  touch(r + "c/dided.ini");                 // hidden folder
  touch(r + "d/dided.ini");                 // hidden file
  touch(r + "e/f/g/dided.ini");
  files_.hidden = {r + "c", r + "d/dided.ini"};
  EXPECT_EQ(walk(r), (std::vector<std::string>{r, r + "b\\", r + "b\\nested\\", r + "e\\f\\g\\"}));
  EXPECT_EQ(std::count(files_.listed.begin(), files_.listed.end(), r + ".hidden_by_dot\\"), 0);
  EXPECT_EQ(std::count(files_.listed.begin(), files_.listed.end(), r + "c\\"), 0);
}

TEST_F(WalkTest, ProgressAtEvery101stEntryBelowTheStartWithThePathCut) {
  const std::string deep = dir_.path() + std::string(200, 'x') + "/";
  for (int i = 0; i < 250; ++i) touch(deep + "f" + std::to_string(1000 + i));
  walk(dir_.path());
  // Entries 1, 102 and 203 of the 250 below the start (the starting folder's own entry is not
  // counted).
  ASSERT_EQ(progress_.size(), 3u);
  const std::string expected = "Procurando por instalações do sistema Dided. Por favor, aguarde...\r" +
                               (dir_.path() + std::string(200, 'x') + "\\").substr(0, 165);
  EXPECT_EQ(progress_[0], expected);
  EXPECT_EQ(walk_.nContaPastas, 250 - 202);
  // The count carries over to the next walk.
  walk(dir_.path());
  EXPECT_EQ(progress_.size(), 5u);
}

TEST_F(WalkTest, DrivesAToIOnly) {
  std::vector<std::string> found;
  walk_.PegaUnidades(0xFFFFFFFFu & ~(1u << 2), found);
  EXPECT_EQ(files_.listed, (std::vector<std::string>{"A:\\", "B:\\", "D:\\", "E:\\", "F:\\", "G:\\", "H:\\", "I:\\"}));
}

}  // namespace
}  // namespace zorvak::wizard
