// The service operations and the process helper on the real Windows API: the stand-in engine
// registered in the service manager, TASKKILL, and a child program of our own.
#include <windows.h>
#include <tlhelp32.h>

#include <chrono>
#include <gtest/gtest.h>

#include "core/engine_contract.h"
#include "core/process_helpers.h"
#include "core/service_control.h"
#include "core/service_switches.h"
#include "win32/handles.h"
#include "win32/wide.h"
#include "win32/win32_platform.h"
#include "win32/win32_service_manager.h"

namespace zorvak {
namespace {

using namespace std::chrono;
using ports::svc::kRunning;
using ports::svc::kStopped;

std::string tempFolder() {
  wchar_t buf[MAX_PATH + 1];
  return win32::narrow(std::wstring_view(buf, GetTempPathW(MAX_PATH + 1, buf)));
}

// Processes of one image name (any case), by id.
std::vector<DWORD> processesNamed(const wchar_t* image) {
  std::vector<DWORD> ids;
  win32::FileHandle snap(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  PROCESSENTRY32W e{};
  e.dwSize = sizeof e;
  for (BOOL ok = Process32FirstW(snap.get(), &e); ok; ok = Process32NextW(snap.get(), &e)) {
    if (_wcsicmp(e.szExeFile, image) == 0) ids.push_back(e.th32ProcessID);
  }
  return ids;
}

void terminateAll(const wchar_t* image) {
  for (DWORD id : processesNamed(image)) {
    win32::KernelHandle p(OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, id));
    if (p) {
      TerminateProcess(p.get(), 1);
      WaitForSingleObject(p.get(), 5000);
    }
  }
}

std::int64_t msSince(steady_clock::time_point t) {
  return duration_cast<milliseconds>(steady_clock::now() - t).count();
}

class Win32Fixture : public ::testing::Test {
 protected:
  win32::Win32ServiceManager scm;
  win32::Win32Processes processes;
  win32::Win32Clock clock;
  win32::Win32FileSystem files;
  ServiceControl control{scm, clock};
};

// The stand-in lives in a folder whose name has a blank, with a trap program where an unquoted
// command line would look first ("...\Zorvak.exe" for "...\Zorvak Teste\ZorvakService.exe").
class StandInService : public Win32Fixture {
 protected:
  static std::string folder() { return tempFolder() + "Zorvak Teste\\"; }
  static std::string engineExe() { return folder() + engine::kExecutable; }
  static std::string trapExe() { return tempFolder() + "Zorvak.exe"; }

  static void SetUpTestSuite() {
    win32::Win32Processes processes;
    CreateDirectoryW(win32::widen(folder()).c_str(), nullptr);
    ASSERT_TRUE(CopyFileW(win32::widen(win32::exeFolder() + engine::kExecutable).c_str(),
                          win32::widen(engineExe()).c_str(), FALSE));
    ASSERT_TRUE(CopyFileW(win32::widen(win32::exeFolder() + "zorvak_test_child.exe").c_str(),
                          win32::widen(trapExe()).c_str(), FALSE));
    removeService();
    ASSERT_EQ(ExecuteAndWait(processes, QuotedProgram(engineExe()) + engine::kInstallSwitches,
                             kWizardExecuteTimeoutMs),
              0u);
  }

  static void TearDownTestSuite() {
    removeService();
    DeleteFileW(win32::widen(trapExe()).c_str());
  }

  static void removeService() {
    win32::Win32Processes processes;
    win32::Win32ServiceManager scm;
    win32::Win32Clock clock;
    ServiceControl(scm, clock).WinServiceStop("", engine::kServiceName);
    terminateAll(L"ZorvakService.exe");
    ExecuteAndWait(processes, QuotedProgram(engineExe()) + engine::kUninstallSwitches,
                   kWizardExecuteTimeoutMs);
  }

  void SetUp() override { standIn(""); }

  void TearDown() override {
    if (!control.WinServiceStop("", engine::kServiceName)) {
      terminateAll(L"ZorvakService.exe");
      // Wine keeps the last reported state of a service whose process was killed (Windows
      // records it as stopped); it still accepts a start, after which a stop works.
      if (!becomes(kStopped, 2000)) {
        standIn("");
        win32::ServiceHandle scm(OpenSCManagerW(L"", nullptr, SC_MANAGER_CONNECT));
        win32::ServiceHandle svc(OpenServiceW(scm.get(), L"Zorvak", SERVICE_START));
        StartServiceW(svc.get(), 0, nullptr);
        becomes(kRunning, 15000);
        control.WinServiceStop("", engine::kServiceName);
      }
    }
    EXPECT_TRUE(becomes(kStopped, 15000)) << "the stand-in did not stop";
  }

  // Keys of section StandIn, read by the stand-in when it starts.
  void standIn(const std::string& keys) {
    files.writeFile(folder() + "Zorvak.ini", "[StandIn]\r\n" + keys);
  }

  bool becomes(std::uint32_t state, int withinMs) {
    for (int waited = 0; waited < withinMs; waited += 100) {
      if (control.ServiceGetStatus("", engine::kServiceName) == state) return true;
      Sleep(100);
    }
    return false;
  }
};

TEST_F(StandInService, InstalledFromAFolderWithABlankByItsQuotedPath) {
  EXPECT_EQ(control.ServiceGetStatus("", engine::kServiceName), kStopped);
  // What the quotes prevent: unquoted, the system starts the trap with the rest as arguments.
  EXPECT_EQ(ExecuteAndWait(processes, engineExe() + engine::kInstallSwitches,
                           kWizardExecuteTimeoutMs),
            99u);
}

TEST_F(StandInService, StartsAndStopsForReal) {
  EXPECT_TRUE(control.WinServiceStart("", engine::kServiceName));
  EXPECT_TRUE(control.ServiceRunning("", engine::kServiceName));
  EXPECT_EQ(processesNamed(L"ZorvakService.exe").size(), 1u);
  EXPECT_TRUE(control.WinServiceStart("", engine::kServiceName));  // already running

  EXPECT_TRUE(control.WinServiceStop("", engine::kServiceName));
  EXPECT_EQ(control.ServiceGetStatus("", engine::kServiceName), kStopped);
  const auto begin = steady_clock::now();
  EXPECT_TRUE(control.WinServiceStop("", engine::kServiceName));  // not active: no wait
  EXPECT_LT(msSince(begin), 1000);
}

TEST_F(StandInService, AMissingServiceRaises1060OnStartAndIsNotThereOtherwise) {
  try {
    control.WinServiceStart("", "ZorvakNaoExiste");
    FAIL() << "started a missing service";
  } catch (const OsError& e) {
    EXPECT_EQ(e.code(), oserr::kServiceDoesNotExist);
    const std::string head = "System Error.  Code: 1060.\r\n";
    EXPECT_EQ(std::string(e.what()).substr(0, head.size()), head);
    EXPECT_GT(std::string(e.what()).size(), head.size()) << "no system message";
    std::printf("%s\n", e.what());
  }
  EXPECT_EQ(control.ServiceGetStatus("", "ZorvakNaoExiste"), 0u);
  EXPECT_FALSE(control.ServiceRunning("", "ZorvakNaoExiste"));
  EXPECT_FALSE(control.WinServiceStop("", "ZorvakNaoExiste"));
}

TEST_F(StandInService, ASlowStartAndASlowStopAreWaitedFor) {
  standIn("StartDelayMs=2500\r\nStopDelayMs=3000\r\nStopWaitHintMs=2000\r\n");
  auto begin = steady_clock::now();
  EXPECT_TRUE(control.WinServiceStart("", engine::kServiceName));
  const std::int64_t started = msSince(begin);
  begin = steady_clock::now();
  EXPECT_TRUE(control.WinServiceStop("", engine::kServiceName));
  const std::int64_t stopped = msSince(begin);
  std::printf("start %lld ms, stop %lld ms\n", static_cast<long long>(started),
              static_cast<long long>(stopped));
  EXPECT_GE(started, 2000);
  EXPECT_GE(stopped, 2500);
}

TEST_F(StandInService, AStartThatOutlastsTheLimitRaisesATimeOut) {
  standIn("StartDelayMs=8000\r\n");
  ServiceControl impatient(scm, clock, 1500);
  const auto begin = steady_clock::now();
  try {
    impatient.WinServiceStart("", engine::kServiceName);
    FAIL() << "no time-out";
  } catch (const OsError& e) {
    EXPECT_EQ(e.code(), oserr::kServiceRequestTimeout);
    std::printf("%s\n", e.what());
  }
  EXPECT_LT(msSince(begin), 7000);
  // Still starting, it cannot take the stop request yet.
  EXPECT_FALSE(control.WinServiceStop("", engine::kServiceName));
  EXPECT_TRUE(becomes(kRunning, 15000));
}

TEST_F(StandInService, ARefusedStopIsFalseAtOnce) {
  standIn("RefuseStop=1\r\n");
  ASSERT_TRUE(control.WinServiceStart("", engine::kServiceName));
  const auto begin = steady_clock::now();
  EXPECT_FALSE(control.WinServiceStop("", engine::kServiceName));
  EXPECT_LT(msSince(begin), 1000);
  EXPECT_EQ(control.ServiceGetStatus("", engine::kServiceName), kRunning);
}

TEST_F(StandInService, TheForcedKillEndsTheRunningEngine) {
  ASSERT_TRUE(control.WinServiceStart("", engine::kServiceName));
  EXPECT_EQ(ExecuteAndWait(processes, std::string("  ") + engine::kKillCommand + " \r\n",
                           kAgentExecuteTimeoutMs),
            0u);
  EXPECT_TRUE(processesNamed(L"ZorvakService.exe").empty());
  // None left to kill: TASKKILL reports it through a non-zero exit code.
  EXPECT_NE(ExecuteAndWait(processes, engine::kKillCommand, kAgentExecuteTimeoutMs), 0u);
}

using ExecuteAndWaitWin32 = Win32Fixture;

TEST_F(ExecuteAndWaitWin32, AMissingProgramRaisesCode2) {
  try {
    ExecuteAndWait(processes, "zorvak_nao_existe.exe -x", kAgentExecuteTimeoutMs);
    FAIL() << "started a missing program";
  } catch (const OsError& e) {
    EXPECT_EQ(e.code(), oserr::kFileNotFound);
    std::printf("%s\n", e.what());
  }
}

TEST_F(ExecuteAndWaitWin32, AChildThatOutlivesTheTimeOutReturns259AndRunsOn) {
  const std::string child = QuotedProgram(win32::exeFolder() + "zorvak_test_child.exe");
  EXPECT_EQ(ExecuteAndWait(processes, child + " exit 7", kAgentExecuteTimeoutMs), 7u);
  const auto begin = steady_clock::now();
  EXPECT_EQ(ExecuteAndWait(processes, child + " sleep 60000", 1500), 259u);
  const std::int64_t waited = msSince(begin);
  EXPECT_GE(waited, 1400);
  EXPECT_LT(waited, 10000);
  EXPECT_EQ(processesNamed(L"zorvak_test_child.exe").size(), 1u);
  terminateAll(L"zorvak_test_child.exe");
}

}  // namespace
}  // namespace zorvak
