// The agent service: what its start, execute and stop handlers do, free of the Windows service
// framework that calls them (src/win32/service_app.h) so that native tests drive it directly.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "agent/data_module.h"
#include "agent/grava_log.h"
#include "agent/tls_versions.h"
#include "core/ini_file.h"
#include "ports/platform.h"

namespace zorvak::agent {

inline constexpr const char* kAgentServiceName = "ZorvakServiceAgent";
inline constexpr const char* kAgentDisplayName = "Zorvak Service Agent";

class ZorvakServiceAgent {
 public:
  ZorvakServiceAgent(ports::Platform& platform, const DataModule& dm, AgentLog& log);

  // Prepares folders, the configuration file and the clients' settings; raises on failure
  // (the service then does not run).
  void ServiceStart();
  // Runs one cycle, then one more each full interval after the previous ended, until `stop`.
  void ServiceExecute(ports::Event& stop);
  // Logs at once; a running cycle completes before the service ends.
  void ServiceStop();

  // The verification cycle (VerificationCycle::Verificar in the program).
  void setCycle(std::function<void()> cycle) { cycle_ = std::move(cycle); }

  std::int32_t timerInterval() const { return timerInterval_; }
  const std::string& PathApp() const { return pathApp_; }
  const std::string& PathBkp() const { return pathBkp_; }
  const std::string& PathTemp() const { return pathTemp_; }
  const std::string& serverBaseUrl() const { return serverBaseUrl_; }
  const std::string& storeProtocol() const { return storeProtocol_; }
  const TlsVersions& tlsVersions() const { return tls_; }
  IniFile& ini() { return *ini_; }
  AgentLog& log() { return log_; }
  ports::Platform& platform() { return platform_; }

 private:
  void createFolder(const std::string& path);

  ports::Platform& platform_;
  const DataModule& dm_;
  AgentLog& log_;
  std::function<void()> cycle_;
  std::int32_t timerInterval_ = 300000;
  std::string pathApp_, pathBkp_, pathTemp_, serverBaseUrl_, storeProtocol_;
  TlsVersions tls_;
  std::unique_ptr<IniFile> ini_;
};

}  // namespace zorvak::agent
