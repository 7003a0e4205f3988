// The local data re-creation: stop and kill the engine, delete its local data files, unlock the
// account on the management server, delete the files again to see whether any came back, and
// start the engine, which builds its data anew.
#include <iterator>

#include "agent/verification_cycle.h"
#include "core/engine_contract.h"

namespace zorvak::agent {
namespace {

// The second-pass report line of each data file, in the order of engine::kDataFiles.
constexpr const char* kRemovedAgain[] = {"Falha ao remover Conta", "Falha ao remover Comandos",
                                         "Falha ao remover Politicas", "Falha ao remover Reportes"};
static_assert(std::size(kRemovedAgain) == std::size(engine::kDataFiles));

}  // namespace

void VerificationCycle::Recriar() {
  try {
    std::vector<std::string> report;
    log("Recriando...");
    report.emplace_back("Zorvak");
    report.emplace_back("Iniciando recriação de base local");
    report.emplace_back("Parando Serviço");
    stopAndKillEngine(kAfterUpdateKillMs);
    const std::string data = agent_.PathApp() + engine::kDataFolder;
    for (const char* name : engine::kDataFiles) files().deleteFile(data + name);
    const std::string conta = ini().ReadString("Conta", "Chave", "");
    // Our HTTP client keeps no connection open between requests: there is nothing to close
    // between the two pauses.
    clock().sleepMs(kBeforeUnlockMs);
    clock().sleepMs(kBeforeUnlockMs);
    const bool resultado = management::Desbloquear(IdServer(), agent_.serverBaseUrl(), conta);
    log(resultado ? "Conta desbloqueada com sucesso" : "Falha ao desbloquear");
    for (std::size_t i = 0; i < std::size(engine::kDataFiles); ++i) {
      if (files().deleteFile(data + engine::kDataFiles[i])) report.emplace_back(kRemovedAgain[i]);
    }
    report.emplace_back("Processo encerrado");
    agent_.log().WriteReport(report);
    services_.WinServiceStart("", engine::kServiceName);
    log("Base local recriada.");
  } catch (const std::exception&) {
    log("Falha na recriação da base de dados!");
  }
}

}  // namespace zorvak::agent
