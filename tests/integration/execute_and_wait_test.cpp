// The process helper on real child processes (posix_spawn).
#include <signal.h>
#include <sys/stat.h>

#include <chrono>
#include <gtest/gtest.h>

#include "core/process_helpers.h"
#include "core/service_switches.h"
#include "posix/posix_processes.h"
#include "support/temp_dir.h"

namespace zorvak {
namespace {

class ExecuteAndWaitTest : public ::testing::Test {
 protected:
  void script(const std::string& name, const std::string& body) {
    dir.write(name, "#!/bin/sh\n" + body + "\n");
    ::chmod(dir.file(name).c_str(), 0755);
  }

  test::TempDir dir;
  posix::PosixProcesses processes;
};

TEST_F(ExecuteAndWaitTest, RunsTheTrimmedCommandAndReturnsItsExitCode) {
  EXPECT_EQ(ExecuteAndWait(processes, " \t sh -c \"exit 7\" \r\n", 5000), 7u);
  EXPECT_EQ(ExecuteAndWait(processes, "true", 5000), 0u);
}

TEST_F(ExecuteAndWaitTest, AMissingProgramRaisesCode2) {
  try {
    ExecuteAndWait(processes, "zorvak-no-such-program -x", 5000);
    FAIL() << "started a missing program";
  } catch (const OsError& e) {
    EXPECT_EQ(e.code(), oserr::kFileNotFound);
    EXPECT_STREQ(e.what(), "System Error.  Code: 2.\r\nThe system cannot find the file specified");
  }
}

TEST_F(ExecuteAndWaitTest, AChildThatOutlivesTheTimeOutIsLeftRunning) {
  const std::string pidFile = dir.file("pid");
  const auto begin = std::chrono::steady_clock::now();
  EXPECT_EQ(ExecuteAndWait(processes, "sh -c \"echo $$ > " + pidFile + "; exec sleep 30\"", 300),
            259u);
  const auto waited = std::chrono::steady_clock::now() - begin;
  EXPECT_GE(waited, std::chrono::milliseconds(300));
  EXPECT_LT(waited, std::chrono::milliseconds(3000));
  const int pid = std::stoi(dir.read("pid"));
  EXPECT_EQ(::kill(pid, 0), 0) << "the child was ended";
  ::kill(pid, SIGKILL);
}

TEST_F(ExecuteAndWaitTest, AQuotedProgramPathWithABlankRunsThatProgram) {
  ::mkdir(dir.file("My Dir").c_str(), 0755);
  script("My Dir/child.sh", "exit 11");
  script("My", "exit 22");  // what an unquoted path runs instead
  const std::string program = dir.file("My Dir/child.sh");
  EXPECT_EQ(ExecuteAndWait(processes, QuotedProgram(program) + " -install -silent", 5000), 11u);
  EXPECT_EQ(ExecuteAndWait(processes, program + " -install -silent", 5000), 22u);
}

TEST(SplitCommandLine, ReadsQuotesAndBackslashesAsWindowsProgramsDo) {
  using Args = std::vector<std::string>;
  const std::pair<const char*, Args> cases[] = {
      {"TASKKILL /im ZorvakService.exe /F", {"TASKKILL", "/im", "ZorvakService.exe", "/F"}},
      {"\"C:\\My Dir\\a.exe\" -install", {"C:/My Dir/a.exe", "-install"}},
      {"a \"b c\"d e\\\\\"f g\" h\\i \\\"j", {"a", "b cd", "e\\f g", "h\\i", "\"j"}},
      {"  ", {}},
  };
  for (const auto& [line, args] : cases) EXPECT_EQ(posix::splitCommandLine(line), args) << line;
}

}  // namespace
}  // namespace zorvak
