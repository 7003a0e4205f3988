// The agent's whole job, one verification cycle at a time: its heartbeat, the reachability test
// (once per process until it succeeds), the engine update and the local data re-creation when
// the configuration file asks for them, the restart of a stalled engine, and a final start of
// the engine's service. Every pause goes through the clock and every wait is bounded, so a
// cycle always ends.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "agent/service_agent.h"
#include "core/datetime.h"
#include "core/management.h"
#include "core/service_control.h"
#include "ports/system.h"

namespace zorvak::agent {

// Pauses of the engine operations, in milliseconds.
inline constexpr std::int64_t kAfterStopMs = 10000;
inline constexpr std::int64_t kAfterRestartKillMs = 5000;
inline constexpr std::int64_t kAfterUpdateKillMs = 15000;
inline constexpr std::int64_t kBeforeUnlockMs = 2000;

// The stamp the stalled-engine check takes when STATUS/Backup is absent or is no date-time.
// A date long past, so the engine counts as stalled and is restarted: an engine that has never
// written its heartbeat (or whose key was damaged) shows no sign of life, and the user expects
// the supervisor to act on that rather than to trust it for ever. The restart stamps the key
// itself, so a silent engine is restarted once per time-out, never in every cycle. At 1 January
// 1900 the distance exceeds the longest time-out the key can hold (2^31 - 1 s, about 68 years).
inline constexpr CivilTime kAbsentHeartbeat{1900, 1, 1};

class VerificationCycle {
 public:
  // `agent` must have run its start handler before the first cycle.
  VerificationCycle(ZorvakServiceAgent& agent, ports::SystemPorts& system);

  void Verificar();
  bool AbrirAWS();
  // Raises only from its closing steps.
  void AtualizaBackup();
  // Never raises for a failure of its own steps.
  void Recriar();

  bool lConectou() const { return lConectou_; }

 private:
  void restartEngine();
  // Stops the engine's service, kills a process that outlived the stop, and pauses.
  void stopAndKillEngine(std::int64_t afterKillMs);
  // The management client (`IdServer`), made at its first use with the start handler's TLS
  // versions and no certificate check.
  management::ManagementClient& IdServer();
  // Puts ZorvakService.old back when there is no ZorvakService.exe.
  void revert(std::vector<std::string>& report);

  std::string exe() const;
  IniFile& ini() { return agent_.ini(); }
  void log(std::string_view msg) { agent_.log().GravaLogTXT(msg); }
  ports::Clock& clock() { return agent_.platform().clock; }
  ports::FileSystem& files() { return agent_.platform().files; }

  ZorvakServiceAgent& agent_;
  ports::SystemPorts& system_;
  ServiceControl services_;
  std::unique_ptr<ports::HttpClient> idServerHttp_;
  std::unique_ptr<management::ManagementClient> idServer_;
  bool lConectou_ = false;
};

}  // namespace zorvak::agent
