// ZorvakService.exe stand-in: behaves as the supervisor expects of the real engine (service
// "Zorvak", heartbeat in STATUS/Backup, Report/Internet, local data files rebuilt when absent),
// and lets tests misbehave it through keys of section StandIn of the Zorvak.ini beside it:
//   Heartbeat=0         no heartbeat        HeartbeatMs=N     heartbeat period (1000)
//   StartDelayMs=N      time in START_PENDING
//   StopDelayMs=N       time in STOP_PENDING, reported with StopWaitHintMs=N (default the delay)
//   RefuseStop=1        the stop control is not accepted
//   Internet=0|1        value written to Report/Internet (1)
#include <algorithm>

#include "core/engine_contract.h"
#include "core/ini_file.h"
#include "core/paths.h"
#include "win32/service_app.h"
#include "win32/win32_platform.h"

namespace {

using namespace zorvak;

class StandInEngine final : public win32::ServiceHandlers {
 public:
  StandInEngine() : folder_(win32::exeFolder()), ini_(platform_.profiles.open(folder_ + kConfigFileName), platform_.regional) {
    refuseStop_ = ini_.ReadTextFlag("StandIn", "RefuseStop");
    stopDelayMs_ = ini_.ReadInteger("StandIn", "StopDelayMs", 0);
    stopWaitHintMs_ = ini_.ReadInteger("StandIn", "StopWaitHintMs", stopDelayMs_);
  }

  void onStart(win32::ServiceStatusReporter& status) override {
    const std::int32_t startDelay = ini_.ReadInteger("StandIn", "StartDelayMs", 0);
    for (std::int32_t waited = 0; waited < startDelay; waited += 500) {
      status.startPending(static_cast<DWORD>(std::max(startDelay, 1000)));
      platform_.clock.sleepMs(std::min<std::int32_t>(500, startDelay - waited));
    }
    ini_.WriteString(engine::kInternetSection, engine::kInternetKey, ini_.ReadString("StandIn", "Internet", "1"));
    ini_.WriteString("STATUS", "EngineVersion", ZORVAK_STANDIN_VERSION);
    const std::string data = folder_ + engine::kDataFolder;
    platform_.files.createDirectories(data);
    for (const char* name : engine::kDataFiles) {
      if (!platform_.files.fileExists(data + name)) {
        platform_.files.writeFile(data + name, "<?xml version=\"1.0\"?>\r\n<dados/>\r\n");
      }
    }
  }

  void onExecute(ports::Event& stop, win32::ServiceStatusReporter& status) override {
    const bool heartbeat = ini_.ReadString("StandIn", "Heartbeat", "1") != "0";
    const std::int32_t period = std::max(ini_.ReadInteger("StandIn", "HeartbeatMs", 1000), 50);
    do {
      if (heartbeat) ini_.WriteDateTime(engine::kHeartbeatSection, engine::kHeartbeatKey, platform_.clock.now());
    } while (!stop.wait(period));
    for (std::int32_t waited = 0; waited < stopDelayMs_; waited += 500) {
      status.stopPending(static_cast<DWORD>(stopWaitHintMs_));
      platform_.clock.sleepMs(std::min<std::int32_t>(500, stopDelayMs_ - waited));
    }
  }

  void onStop() override {}
  bool acceptsStop() override { return !refuseStop_; }
  DWORD stopWaitHint() override { return static_cast<DWORD>(std::max(stopWaitHintMs_, 0)); }

 private:
  win32::Win32Platform platform_;
  std::string folder_;
  IniFile ini_;
  bool refuseStop_ = false;
  std::int32_t stopDelayMs_ = 0, stopWaitHintMs_ = 0;
};

}  // namespace

int wmain(int argc, wchar_t** argv) {
  StandInEngine engine;
  // Started on demand only: a test's misbehaving engine must not come back by itself when the
  // service manager restarts.
  return win32::RunServiceProgram({L"Zorvak", L"Zorvak", SERVICE_DEMAND_START}, engine, argc, argv);
}
