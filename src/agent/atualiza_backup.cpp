// The engine update: download beside the running engine, stop and kill it, swap the executables
// by renaming, roll back when the swap leaves none, report every step, start the engine again.
//
// The engine must survive a crash or power loss at any point: every rename is judged by whether
// ZorvakService.exe exists afterwards, ZorvakService.old is never deleted while it is the only
// engine on disk, and an update that finds no ZorvakService.exe and cannot put a new one in
// place (store unreachable, download refused, file not saved) puts ZorvakService.old back.
#include "agent/verification_cycle.h"
#include "core/engine_contract.h"
#include "core/s3_client.h"
#include "deployment.h"

namespace zorvak::agent {

void VerificationCycle::revert(std::vector<std::string>& report) {
  report.emplace_back("Problema encontrado. Revertendo...");
  const std::string old = agent_.PathApp() + "ZorvakService.old";
  if (files().renameFile(old, exe()) && files().fileExists(exe())) {
    report.emplace_back("Revertido com sucesso");
  } else {
    report.emplace_back("Falha ao reverter");
  }
}

void VerificationCycle::AtualizaBackup() {
  const std::string pathApp = agent_.PathApp();
  const std::string fresh = pathApp + "ZorvakService.new", old = pathApp + "ZorvakService.old";
  std::vector<std::string> report;
  std::string buffer;
  bool reverted = false;
  try {
    log("Atualizando...");
    report.emplace_back("Zorvak");
    report.emplace_back("Iniciando atualização");
    ports::HttpClientSettings bounds;
    bounds.totalTimeoutMs = ports::kDownloadTotalTimeoutMs;
    const auto http = system_.http.connect(bounds);
    store::S3Client client(*http, system_.crypto, clock(), store::DistributionStore(agent_.storeProtocol()));
    store::ResponseInfo info;
    if (files().fileExists(fresh)) {
      report.emplace_back("Preparando destino");
      files().deleteFile(fresh);
    }
    report.emplace_back("Efetuando Download");
    if (!client.GetObject(deployment::kS3Bucket, engine::kExecutable, buffer, info)) {
      report.push_back("Falha no Download do executável:" + info.StatusMessage);
    } else {
      files().writeFile(fresh, buffer);
      if (!files().fileExists(fresh)) {
        report.emplace_back("Falha no download");
      } else {
        report.emplace_back("Parando Serviço");
        stopAndKillEngine(kAfterUpdateKillMs);
        const bool hadExe = files().fileExists(exe());
        // Without an executable, the .old file is the engine: it stays until a new one is in.
        if (hadExe && files().fileExists(old)) {
          report.emplace_back("Removendo versão antiga");
          files().deleteFile(old);
        }
        files().renameFile(exe(), old);
        report.emplace_back("Renomeando EXE>OLD");
        if (files().fileExists(exe())) {
          // The old engine is still in place: no success to report.
          report.emplace_back("Falha ao renomear EXE>OLD");
        } else {
          if (!files().renameFile(fresh, exe())) report.emplace_back("Falha ao renomear NEW>EXE");
          if (files().fileExists(exe())) {
            report.emplace_back("Atualizado com sucesso");
          } else {
            revert(report);
            reverted = true;
          }
        }
        report.emplace_back("Iniciando o Serviço");
      }
    }
  } catch (const std::exception& e) {
    report.push_back(std::string("Falha na atualização ") + e.what());
  }
  if (!reverted && !files().fileExists(exe()) && files().fileExists(old)) revert(report);
  ini().WriteString("Atualizar", "Recriar", "1");
  agent_.log().WriteReport(report);
  services_.WinServiceStart("", engine::kServiceName);
  log("Atualização finalizada.");
}

}  // namespace zorvak::agent
