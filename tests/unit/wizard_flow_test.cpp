#include "wizard/flow.h"

#include <gtest/gtest.h>

#include "support/wizard_fakes.h"

namespace zorvak::wizard {
namespace {

class FlowTest : public ::testing::Test {
 protected:
  FlowTest() { shell_.attach(flow_); }
  // The program's start: launcher created, discovery shown and active, then the launcher
  // shown by the message loop.
  void start() {
    flow_.Create();
    flow_.WorkingActivated(Window::Discovery);
    flow_.LauncherActivated();
  }

  test::VirtualClock clock_;
  test::RecordingShell shell_{clock_};
  Flow flow_{shell_};
};

TEST_F(FlowTest, WatchdogCountsButWaitsWhileTheDiscoveryWindowIsPresent) {
  flow_.Create();
  EXPECT_TRUE(shell_.timerEnabled);
  EXPECT_EQ(shell_.timerInterval, 15000);
  start();
  EXPECT_EQ(shell_.timerInterval, 3000);
  clock_.advance(60000);
  EXPECT_EQ(flow_.nConta, 20);
  EXPECT_TRUE(shell_.exitCodes.empty());
}

TEST_F(FlowTest, ClosedDiscoveryWindowEndsTheProgramWith67At12000Ms) {
  start();
  clock_.advance(5000);
  flow_.WorkingClosed(Window::Discovery);
  flow_.LauncherActivated();  // the launcher is what is left to activate
  clock_.advance(11999);
  EXPECT_TRUE(shell_.exitCodes.empty());
  clock_.advance(1);
  EXPECT_EQ(shell_.events, (std::vector<std::string>{
                               "17000 message Não foi possível validar a instalação. Repita o processo de verificação.",
                               "17000 exit 67"}));
}

TEST_F(FlowTest, ActivationOfAWorkingWindowStopsTheWatchdogAndTheLauncherRestartsTheCount) {
  start();
  flow_.WorkingClosed(Window::Discovery);
  clock_.advance(9000);  // three ticks
  flow_.WorkingActivated(Window::Validation);
  EXPECT_FALSE(shell_.timerEnabled);
  clock_.advance(30000);
  EXPECT_EQ(flow_.nConta, 3);
  flow_.LauncherActivated();  // count restarts: the end comes 12000 ms later, not at the next tick
  EXPECT_EQ(flow_.nConta, 0);
  clock_.advance(9000);
  EXPECT_TRUE(shell_.exitCodes.empty());
  clock_.advance(3000);
  EXPECT_EQ(shell_.exitCodes, std::vector<int>{67});
}

TEST_F(FlowTest, FurtherTicksUnderTheMessageStackFurtherBoxes) {
  start();
  flow_.WorkingClosed(Window::Discovery);
  int shown = 0;
  // The box's modal loop lets the next tick through before the user dismisses the first box.
  shell_.onMessage = [&] {
    if (++shown == 1) clock_.advance(3000);
  };
  clock_.advance(15000);
  EXPECT_EQ(shown, 2);
  // The topmost box goes first and ends the process; nothing after it matters.
  EXPECT_EQ(shell_.events.at(0).substr(0, 13), "12000 message");
  EXPECT_EQ(shell_.events.at(1).substr(0, 13), "15000 message");
  EXPECT_EQ(shell_.events.at(2), "15000 exit 67");
}

TEST_F(FlowTest, HandOverOrderAndTimings) {
  struct Case {
    Window from, to;
    int activationDelayMs;
    std::vector<std::string> events;
  };
  const Case cases[] = {
      {Window::Discovery, Window::Validation, 0, {"0 show Validation", "5000 close Discovery"}},
      {Window::Validation, Window::Schedule, 0, {"0 show Schedule", "5000 close Validation"}},
      {Window::Schedule, Window::Validation, 0, {"0 show Validation", "4500 close Schedule"}},
      // Activation after the first look: one more poll of 2500 ms.
      {Window::Discovery, Window::Validation, 2000, {"0 show Validation", "7500 close Discovery"}},
      {Window::Validation, Window::Discovery, 6000, {"0 show Discovery", "10000 close Validation"}},
  };
  for (const Case& c : cases) {
    test::VirtualClock clock;
    test::RecordingShell shell(clock);
    Flow flow(shell);
    shell.attach(flow);
    shell.activationDelayMs = c.activationDelayMs;
    flow.WorkingActivated(c.from);
    EXPECT_TRUE(flow.HandOver(c.from, c.to));
    EXPECT_EQ(shell.events, c.events) << test::windowName(c.from) << " -> " << test::windowName(c.to);
    EXPECT_TRUE(flow.lCarregou);
  }
}

TEST_F(FlowTest, ASecondHandOverDuringOneIsRefused) {
  flow_.WorkingActivated(Window::Discovery);
  bool second = true;
  shell_.onPause = [&](std::int64_t) {
    if (second) second = flow_.HandOver(Window::Discovery, Window::Validation);
  };
  EXPECT_TRUE(flow_.HandOver(Window::Discovery, Window::Validation));
  EXPECT_FALSE(second);
  EXPECT_EQ(shell_.events, (std::vector<std::string>{"0 show Validation", "5000 close Discovery"}));
  EXPECT_FALSE(flow_.lTemForm2);
  EXPECT_TRUE(flow_.lTemForm1);
}

}  // namespace
}  // namespace zorvak::wizard
