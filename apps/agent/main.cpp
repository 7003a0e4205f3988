// ZorvakAgent.exe: the Windows service that supervises the backup engine.
#include "agent/data_module.h"
#include "agent/grava_log.h"
#include "agent/service_agent.h"
#include "agent/verification_cycle.h"
#include "win32/service_app.h"
#include "win32/wide.h"
#include "win32/win32_platform.h"

namespace {

using namespace zorvak;

class AgentHandlers final : public win32::ServiceHandlers {
 public:
  explicit AgentHandlers(agent::ZorvakServiceAgent& agent) : agent_(agent) {}
  void onStart(win32::ServiceStatusReporter&) override { agent_.ServiceStart(); }
  void onExecute(ports::Event& stop, win32::ServiceStatusReporter&) override { agent_.ServiceExecute(stop); }
  void onStop() override { agent_.ServiceStop(); }
  // A cycle that is running when the stop comes is let finish (a download, a restart).
  DWORD stopWaitHint() override { return 120000; }

 private:
  agent::ZorvakServiceAgent& agent_;
};

}  // namespace

int wmain(int argc, wchar_t** argv) {
  win32::Win32Platform platform;
  const agent::DataModule dm = agent::DataModuleCreate(win32::exeFolder(), platform.ports);
  agent::AgentLog log(dm.PathZorvak, platform.clock, platform.files, platform.regional);
  agent::ZorvakServiceAgent service(platform.ports, dm, log);
  agent::VerificationCycle cycle(service, platform.system);
  service.setCycle([&cycle] { cycle.Verificar(); });
  AgentHandlers handlers(service);
  return win32::RunServiceProgram({win32::widen(agent::kAgentServiceName), win32::widen(agent::kAgentDisplayName)},
                                  handlers, argc, argv);
}
