#include "agent/service_agent.h"

#include <stdexcept>

#include "agent/interval.h"
#include "core/paths.h"

namespace zorvak::agent {

ZorvakServiceAgent::ZorvakServiceAgent(ports::Platform& platform, const DataModule& dm, AgentLog& log)
    : platform_(platform), dm_(dm), log_(log) {}

void ZorvakServiceAgent::createFolder(const std::string& path) {
  // A folder that cannot be made is passed over (its later writes fail where they happen);
  // an empty name is a configuration fault and stops the start.
  if (path.empty()) throw std::runtime_error("Unable to create directory");
  platform_.files.createDirectories(path);
}

void ZorvakServiceAgent::ServiceStart() {
  timerInterval_ = dm_.xIntervalo == 0 ? kZeroIntervalMs : dm_.xIntervalo;
  pathApp_ = dm_.PathZorvak;
  ini_ = std::make_unique<IniFile>(platform_.profiles.open(pathApp_ + "\\" + kConfigFileName),
                                   platform_.regional);
  serverBaseUrl_ = ini_->ReadString("CONFIG", "PathNuvem", "");
  pathBkp_ = ini_->ReadString("CONFIG", "PathBkp", pathApp_ + "Bkp\\");
  pathTemp_ = ini_->ReadString("CONFIG", "PathTemp", pathApp_ + "Temp\\");
  createFolder(pathBkp_);
  createFolder(pathTemp_);
  storeProtocol_ = ini_->ReadString("Config", "TipoHTTP", "http");
  const TlsSelection tls = SelectTlsVersions(ini_->ReadString("Config", "SSL", kDefaultSsl));
  for (const std::string& token : tls.tokensFound) log_.GravaLogTXT(token);
  tls_ = tls.versions;
  log_.GravaLogTXT("i:Zorvak Agente iniciado");
}

void ZorvakServiceAgent::ServiceExecute(ports::Event& stop) {
  do {
    if (cycle_) cycle_();
  } while (!stop.wait(timerInterval_));
}

void ZorvakServiceAgent::ServiceStop() { log_.GravaLogTXT("i:Zorvak Agente  parado"); }

}  // namespace zorvak::agent
