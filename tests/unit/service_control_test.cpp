#include "core/service_control.h"

#include <gtest/gtest.h>

#include "support/scripted_service_manager.h"
#include "support/virtual_clock.h"

namespace zorvak {
namespace {

using namespace ports::svc;
using Pauses = std::vector<std::int64_t>;
using test::ScriptedService;

class ServiceControlTest : public ::testing::Test {
 protected:
  void TearDown() override { EXPECT_TRUE(scm.allClosed()); }

  // Sets the service's status when the virtual clock reaches `atMs`.
  void statusAt(std::int64_t atMs, ports::ServiceStatus st) {
    clock.at(atMs, [this, st] { engine().status = st; });
  }
  ScriptedService& engine() { return scm.services["Zorvak"]; }

  test::VirtualClock clock;
  test::ScriptedServiceManager scm;
  ServiceControl control{scm, clock};
};

TEST_F(ServiceControlTest, StartLeavesEveryStateButStoppedAndStopPendingAlone) {
  for (std::uint32_t state : {kStartPending, kRunning, kContinuePending, kPausePending, kPaused}) {
    scm.calls.clear();
    engine().status = {state, 0, 0};
    EXPECT_TRUE(control.WinServiceStart("", "Zorvak")) << state;
    EXPECT_EQ(scm.calls, (std::vector<std::string>{"OpenSCManagerW(,0x1)",
                                                    "OpenServiceW(Zorvak,0x14)",
                                                    "QueryServiceStatus",
                                                    "CloseServiceHandle(Zorvak)",
                                                    "CloseServiceHandle(manager)"}))
        << state;
    EXPECT_EQ(engine().status.currentState, state);
  }
  EXPECT_TRUE(clock.pauses().empty());
}

TEST_F(ServiceControlTest, StartPollsStartPendingAtATenthOfTheWaitHint) {
  engine().onStart = [](ScriptedService& s) { s.status = {kStartPending, 1, 30000}; };
  statusAt(7000, {kRunning, 0, 0});
  EXPECT_TRUE(control.WinServiceStart("", "Zorvak"));
  EXPECT_EQ(clock.pauses(), (Pauses{3000, 3000, 3000}));
  EXPECT_EQ(scm.count("StartServiceW"), 1);
}

TEST_F(ServiceControlTest, StartIsFalseWhenTheServiceStopsAgainWhileStarting) {
  const std::function<void()> stopsAgain[] = {
      [&] { engine().queryError = oserr::kServiceNotActive; },
      [&] { engine().status = {kStopped, 0, 0}; },
  };
  for (const auto& stop : stopsAgain) {
    engine() = {};
    engine().onStart = [](ScriptedService& s) { s.status = {kStartPending, 0, 0}; };
    clock.at(clock.monotonicMs() + 1500, stop);
    clock.clearPauses();
    EXPECT_FALSE(control.WinServiceStart("", "Zorvak"));
    EXPECT_EQ(clock.pauses(), (Pauses{1000, 1000}));
  }
}

TEST_F(ServiceControlTest, StartWaitsOutAStopPendingServiceThenStartsIt) {
  engine().status = {kStopPending, 1, 30000};
  statusAt(7500, {kStopped, 0, 0});
  EXPECT_TRUE(control.WinServiceStart("", "Zorvak"));
  EXPECT_EQ(clock.pauses(), (Pauses{3000, 3000, 3000}));
  EXPECT_EQ(scm.calls[6], "StartServiceW");  // after the first query and three polls

  // A service that vanishes from the manager's view while stopping counts as stopped.
  engine().status = {kStopPending, 1, 0};
  clock.at(clock.monotonicMs() + 500, [&] {
    engine().queryError = oserr::kServiceNotActive;
    engine().status = {kStopped, 0, 0};
  });
  scm.calls.clear();
  EXPECT_FALSE(control.WinServiceStart("", "Zorvak"));  // its later queries keep failing
  EXPECT_EQ(scm.count("StartServiceW"), 1);
}

TEST(ServiceStartPause, IsATenthOfTheWaitHintWithinOneAndTenSeconds) {
  const std::pair<std::uint32_t, std::int64_t> cases[] = {
      {0, 1000},      {9999, 1000},   {19999, 1999},           {30000, 3000},
      {99999, 9999},  {100000, 10000}, {0xFFFFFFFFu, 10000},
  };
  for (auto [hint, pause] : cases) EXPECT_EQ(startPollPauseMs(hint), pause) << hint;
}

TEST_F(ServiceControlTest, StartRaisesTheSystemErrorOfTheFailedStep) {
  struct Case {
    const char* service;
    std::function<void()> setup;
    std::uint32_t code;
  } cases[] = {
      {"Missing", [] {}, oserr::kServiceDoesNotExist},
      {"Zorvak", [&] { scm.openManagerError = oserr::kAccessDenied; }, oserr::kAccessDenied},
      {"Zorvak", [&] { engine().queryError = oserr::kAccessDenied; }, oserr::kAccessDenied},
      {"Zorvak", [&] { engine().startError = oserr::kServiceAlreadyRunning; },
       oserr::kServiceAlreadyRunning},
  };
  for (const auto& c : cases) {
    scm.openManagerError = 0;
    engine() = {};
    c.setup();
    try {
      control.WinServiceStart("", c.service);
      ADD_FAILURE() << "no error for code " << c.code;
    } catch (const OsError& e) {
      EXPECT_EQ(e.code(), c.code);
    }
    EXPECT_TRUE(scm.allClosed()) << c.code;
  }
  try {
    control.WinServiceStart("", "Missing");
  } catch (const OsError& e) {
    EXPECT_STREQ(e.what(),
                 "System Error.  Code: 1060.\r\n"
                 "The specified service does not exist as an installed service");
  }
}

TEST_F(ServiceControlTest, StartGivesUpOnAPendingStateThatOutlastsTheLimit) {
  const std::uint32_t stuckIn[] = {kStopPending, kStartPending};
  for (std::uint32_t state : stuckIn) {
    engine() = {};
    if (state == kStopPending) engine().status = {kStopPending, 1, 30000};
    engine().onStart = [](ScriptedService& s) { s.status = {kStartPending, 1, 30000}; };
    const std::int64_t begin = clock.monotonicMs();
    scm.calls.clear();
    try {
      control.WinServiceStart("", "Zorvak");
      ADD_FAILURE() << "no time-out in state " << state;
    } catch (const OsError& e) {
      EXPECT_EQ(e.code(), oserr::kServiceRequestTimeout);
      EXPECT_NE(std::string(e.what()).find("timely fashion"), std::string::npos);
    }
    EXPECT_EQ(clock.monotonicMs() - begin, kServicePendingLimitMs) << state;
    EXPECT_EQ(scm.count("StartServiceW"), state == kStopPending ? 0 : 1);
  }
}

TEST_F(ServiceControlTest, StopCases) {
  struct Case {
    const char* name;
    ports::ServiceStatus initial;
    std::function<void(ScriptedService&)> onStop;  // null: stops at once
    std::function<void()> later;                   // runs at 4500 ms into the stop
    bool stopped;
    Pauses pauses;
  } cases[] = {
      {"already stopped", {kStopped, 0, 0}, nullptr, nullptr, true, {}},
      {"still starting", {kStartPending, 1, 2000}, nullptr, nullptr, false, {}},
      {"running", {kRunning, 0, 0}, nullptr, nullptr, true, {}},
      {"slow stop: the hint as reported, a steady check point goes on",
       {kRunning, 0, 0},
       [](ScriptedService& s) { s.status = {kStopPending, 1, 2500}; },
       [&] { engine().status = {kStopped, 0, 0}; },
       true,
       {2500, 2500}},
      {"falling check point",
       {kRunning, 0, 0},
       [](ScriptedService& s) { s.status = {kStopPending, 5, 1000}; },
       [&] { engine().status.checkPoint = 2; },
       false,
       {1000, 1000, 1000, 1000, 1000}},
      {"failed query keeps the last status read",
       {kRunning, 0, 0},
       [](ScriptedService& s) { s.status = {kStopPending, 1, 3000}; },
       [&] { engine().status = {kStopped, 0, 0}, engine().queryError = 6; },
       false,
       {3000, 3000}},
      {"a zero hint still pauses",
       {kRunning, 0, 0},
       [](ScriptedService& s) { s.status = {kStopPending, 1, 0}; },
       [&] { engine().status = {kStopped, 0, 0}; },
       true,
       Pauses(45, 100)},
      {"huge hint is cut at the limit",
       {kRunning, 0, 0},
       [](ScriptedService& s) { s.status = {kStopPending, 1, 0xFFFFFFFFu}; },
       [&] { engine().status = {kStopped, 0, 0}; },
       true,
       {kServicePendingLimitMs}},
  };
  for (const auto& c : cases) {
    engine() = {};
    engine().status = c.initial;
    if (c.onStop) engine().onStop = c.onStop;
    if (c.later) clock.at(clock.monotonicMs() + 4500, c.later);
    clock.clearPauses();
    scm.calls.clear();
    EXPECT_EQ(control.WinServiceStop("", "Zorvak"), c.stopped) << c.name;
    EXPECT_EQ(clock.pauses(), c.pauses) << c.name;
    EXPECT_EQ(scm.calls[1], "OpenServiceW(Zorvak,0x24)");
    EXPECT_TRUE(scm.allClosed()) << c.name;
    clock.advance(10000);  // let a `later` that was not reached run before the next case
  }
}

TEST_F(ServiceControlTest, StopNeverRaisesAndGivesUpAfterTheLimit) {
  EXPECT_FALSE(control.WinServiceStop("", "Missing"));
  scm.openManagerError = oserr::kAccessDenied;
  EXPECT_FALSE(control.WinServiceStop("", "Zorvak"));
  scm.openManagerError = 0;

  engine().status = {kRunning, 0, 0};
  engine().acceptsStop = false;
  EXPECT_FALSE(control.WinServiceStop("", "Zorvak"));
  EXPECT_TRUE(clock.pauses().empty());

  engine().acceptsStop = true;
  engine().onStop = [](ScriptedService& s) { s.status = {kStopPending, 1, 30000}; };
  EXPECT_FALSE(control.WinServiceStop("", "Zorvak"));
  EXPECT_EQ(clock.pauses(), (Pauses{30000, 30000, 30000, 30000}));
}

TEST_F(ServiceControlTest, StatusIsTheCurrentStateOrZero) {
  engine().status = {kRunning, 0, 0};
  EXPECT_EQ(control.ServiceGetStatus("", "Zorvak"), kRunning);
  EXPECT_EQ(scm.calls[1], "OpenServiceW(Zorvak,0x4)");
  EXPECT_TRUE(control.ServiceRunning("", "Zorvak"));

  engine().status = {kPaused, 0, 0};
  EXPECT_EQ(control.ServiceGetStatus("", "Zorvak"), kPaused);
  EXPECT_FALSE(control.ServiceRunning("", "Zorvak"));

  EXPECT_EQ(control.ServiceGetStatus("", "Missing"), 0u);
  EXPECT_FALSE(control.ServiceRunning("", "Missing"));
  engine().queryError = oserr::kAccessDenied;
  EXPECT_EQ(control.ServiceGetStatus("", "Zorvak"), 0u);
  scm.openManagerError = oserr::kAccessDenied;
  EXPECT_EQ(control.ServiceGetStatus("", "Zorvak"), 0u);
}

TEST_F(ServiceControlTest, TheMachineNameIsPassedOnUnchanged) {
  engine().status = {kRunning, 0, 0};
  control.WinServiceStart("\\\\SERVIDOR", "Zorvak");
  control.WinServiceStop("\\\\SERVIDOR", "Zorvak");
  control.ServiceGetStatus("\\\\SERVIDOR", "Zorvak");
  EXPECT_EQ(scm.count("OpenSCManagerW(\\\\SERVIDOR,0x1)"), 3);
}

}  // namespace
}  // namespace zorvak
