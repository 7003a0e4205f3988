// A whole agent on native ports for tests of the verification cycle: a temporary application
// folder, the virtual clock, the scripted service manager with a running engine service `Zorvak`,
// scripted processes, and a scripted HTTP port that plays a reachable store holding a new engine,
// a reachable probe page and a management server that unlocks.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "agent/verification_cycle.h"
#include "core/engine_contract.h"
#include "core/text.h"
#include "deployment.h"
#include "posix/posix_net.h"
#include "support/faulty_files.h"
#include "support/scripted_http.h"
#include "support/scripted_processes.h"
#include "support/scripted_service_manager.h"
#include "support/temp_dir.h"
#include "support/virtual_clock.h"

namespace zorvak::test {

inline const std::string kStoreList = std::string("http://") + deployment::kS3Endpoint + "/";
inline const std::string kStoreEngine =
    std::string("http://") + deployment::kS3Endpoint + "/" + deployment::kS3Bucket + "/ZorvakService.exe";
inline const std::string kServerUrl = "http://127.0.0.1:8088/zorvak/";
inline const std::string kUnlockUrl = kServerUrl + "Gerenciador/Desbloquear";
inline constexpr const char* kNewEngine = "MZ engine version 2";
inline constexpr const char* kOldEngine = "MZ engine version 1";

class CycleRig {
 public:
  explicit CycleRig(const std::string& iniText = "") {
    dir.write("Zorvak.ini", "[CONFIG]\nPathNuvem=" + kServerUrl + "\n[Conta]\nChave=ZV0A1B\n" + iniText);
    dir.write("ZorvakService.exe", kOldEngine);
    services.services[engine::kServiceName].status = {ports::svc::kRunning, 0, 0};
    http.answer(kStoreList, 200, "OK",
                "<ListAllMyBucketsResult><Buckets><Bucket><Name>zorvak-dist</Name></Bucket></Buckets>"
                "</ListAllMyBucketsResult>");
    http.answer(kStoreEngine, 200, "OK", kNewEngine);
    http.answer(deployment::kProbeUrl, 200, "OK", "<html></html>");
    http.answer(kUnlockUrl, 200, "OK", R"({"resultado": true})");
  }

  // A fresh process of the agent: its modules, its start handler, then the heartbeat made fresh.
  struct Process {
    Process(CycleRig& rig)
        : dm(agent::DataModuleCreate(rig.dir.path(), rig.platform)),
          log(dm.PathZorvak, rig.clock, rig.files, rig.regional),
          service(rig.platform, dm, log),
          cycle(service, rig.system) {
      service.ServiceStart();
    }
    agent::DataModule dm;
    agent::AgentLog log;
    agent::ZorvakServiceAgent service;
    agent::VerificationCycle cycle;
  };
  Process& start(bool freshHeartbeat = true) {
    process = std::make_unique<Process>(*this);
    if (freshHeartbeat) heartbeat(clock.now());
    return *process;
  }
  void cycle() { (process ? *process : start()).cycle.Verificar(); }
  IniFile& ini() { return process->service.ini(); }
  void heartbeat(DateTime t) { ini().WriteDateTime("STATUS", "Backup", t); }
  std::string value(const char* section, const char* key) { return ini().ReadString(section, key, "<absent>"); }

  // The messages of the daily logs in order, without time stamps; a report is one message.
  std::vector<std::string> messages() const {
    std::string all;
    for (const auto& e : files.listDirectory(dir.file("log"))) {
      if (e.name.starts_with("Agent_")) all += dir.read("log/" + e.name);
    }
    const std::string rule = std::string(agent::kLogRuleWidth, '_') + "\r\n";
    std::vector<std::string> out;
    for (std::size_t pos = 0, next; (next = all.find(rule, pos)) != std::string::npos; pos = next + rule.size()) {
      std::string entry = all.substr(pos, next - pos);
      entry = entry.substr(entry.find("- ") + 2);
      entry.resize(entry.size() - 2);
      out.push_back(text::fromCp1252(entry));
    }
    return out;
  }
  // The lines of log\Atualizacao.txt.
  std::vector<std::string> report() const {
    if (!files.fileExists(dir.file("log/Atualizacao.txt"))) return {"<absent>"};
    const std::string t = text::fromCp1252(dir.read("log/Atualizacao.txt"));
    std::vector<std::string> lines;
    for (std::size_t pos = 0, end; (end = t.find("\r\n", pos)) != std::string::npos; pos = end + 2)
      lines.push_back(t.substr(pos, end - pos));
    return lines;
  }
  bool has(const std::string& name) const { return files.fileExists(dir.file(name)); }
  std::string content(const std::string& name) const { return has(name) ? dir.read(name) : "<absent>"; }

  TempDir dir;
  VirtualClock clock;
  mutable FaultyFiles files;
  posix::PosixProfileStore profiles;
  posix::FixedRegionalSettings regional;
  ports::Platform platform{clock, files, profiles, regional};
  ScriptedServiceManager services;
  ScriptedProcesses processes;
  ScriptedHttp http;
  posix::OpenSslCrypto crypto;
  ports::SystemPorts system{services, processes, http, crypto};
  std::unique_ptr<Process> process;
};

}  // namespace zorvak::test
