#include "agent/verification_cycle.h"

#include "core/engine_contract.h"
#include "core/process_helpers.h"

namespace zorvak::agent {

VerificationCycle::VerificationCycle(ZorvakServiceAgent& agent, ports::SystemPorts& system)
    : agent_(agent), system_(system), services_(system.services, agent.platform().clock) {}

std::string VerificationCycle::exe() const { return agent_.PathApp() + engine::kExecutable; }

management::ManagementClient& VerificationCycle::IdServer() {
  if (!idServer_) {
    ports::HttpClientSettings settings;
    settings.tls = agent_.tlsVersions();
    settings.verifyCertificate = false;
    settings.totalTimeoutMs = ports::kRequestTotalTimeoutMs;
    idServerHttp_ = system_.http.connect(settings);
    idServer_ = std::make_unique<management::ManagementClient>(*idServerHttp_);
  }
  return *idServer_;
}

void VerificationCycle::stopAndKillEngine(std::int64_t afterKillMs) {
  services_.WinServiceStop("", engine::kServiceName);
  clock().sleepMs(kAfterStopMs);
  // Kills an engine process that did not stop; its exit code says nothing we act on.
  ExecuteAndWait(system_.processes, engine::kKillCommand, kAgentExecuteTimeoutMs);
  clock().sleepMs(afterKillMs);
}

}  // namespace zorvak::agent
