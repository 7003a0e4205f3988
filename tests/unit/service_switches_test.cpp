#include "core/service_switches.h"

#include <gtest/gtest.h>

namespace zorvak {
namespace {

TEST(ServiceSwitches, InstallUninstallSilentInAnySpelling) {
  struct Case {
    std::vector<std::string> args;
    ServiceAction action;
    bool silent;
  };
  const Case cases[] = {
      {{}, ServiceAction::Run, false},
      {{"-install"}, ServiceAction::Install, false},
      {{"/INSTALL", "-Silent"}, ServiceAction::Install, true},
      {{"-uninstall", "/silent"}, ServiceAction::Uninstall, true},
      {{"-silent"}, ServiceAction::Run, true},
      {{"install"}, ServiceAction::Run, false},      // no switch character
      {{"-installx"}, ServiceAction::Run, false},
      {{"-uninstall", "-install"}, ServiceAction::Install, false},
  };
  for (const Case& c : cases) {
    const ServiceSwitches got = ParseServiceSwitches(c.args);
    EXPECT_EQ(got.action, c.action) << ::testing::PrintToString(c.args);
    EXPECT_EQ(got.silent, c.silent) << ::testing::PrintToString(c.args);
  }
}

TEST(ServiceSwitches, ProgramPathQuotedWhenItHasABlank) {
  EXPECT_EQ(QuotedProgram("C:\\Zorvak\\ZorvakAgent.exe"), "C:\\Zorvak\\ZorvakAgent.exe");
  EXPECT_EQ(QuotedProgram("C:\\Program Files\\Zorvak\\ZorvakAgent.exe"),
            "\"C:\\Program Files\\Zorvak\\ZorvakAgent.exe\"");
  EXPECT_EQ(QuotedProgram("\"C:\\A B\\x.exe\""), "\"C:\\A B\\x.exe\"");
}

}  // namespace
}  // namespace zorvak
