// The cycle itself and the restart of a stalled engine.
#include <cstdlib>

#include "agent/verification_cycle.h"
#include "core/engine_contract.h"

namespace zorvak::agent {

void VerificationCycle::Verificar() {
  log("Verificação Iniciada");
  ini().WriteDateTime("STATUS", "Agente", clock().now());
  // The timer is off from here on: the execute handler waits for the next interval only once
  // the cycle has returned, so cycles never overlap.
  try {
    if (!lConectou_) {
      log("i:Iniciando testes...!");
      lConectou_ = AbrirAWS();
    }
    if (ini().ReadTextFlag("Atualizar", "Backup") || !files().fileExists(exe())) {
      AtualizaBackup();
      ini().WriteString("Atualizar", "Backup", "0");
    } else if (ini().ReadTextFlag("Atualizar", "Recriar")) {
      Recriar();
      ini().WriteString("Atualizar", "Recriar", "0");
    }
    // The distance counts, not its sign: a stamp in the future is as suspect as an old one.
    const DateTime stamp = ini().ReadDateTime(engine::kHeartbeatSection, engine::kHeartbeatKey,
                                              toDateTime(kAbsentHeartbeat));
    const std::int64_t elapsed = std::llabs(clock().now().ms - stamp.ms) / 1000;
    const std::int64_t timeout =
        ini().ReadInteger(engine::kTimeoutSection, engine::kTimeoutKey, engine::kDefaultTimeoutSeconds);
    if (elapsed > timeout || ini().ReadString("Agente", "RestartBackup", "0") == "1") restartEngine();
  } catch (const std::exception& e) {
    log(std::string("e:Falha no Agente: ") + e.what());
  }
  ini().WriteDateTime("STATUS", "Agente", clock().now());
  try {
    services_.WinServiceStart("", engine::kServiceName);
  } catch (const std::exception&) {
    // A missing or broken engine service costs no log line here; a restart logs it.
  }
  log("Verificação finalizada");
}

void VerificationCycle::restartEngine() {
  log("Reiniciando Serviço de Backup...");
  // The engine gets one full time-out after the restart before the check can fire again.
  ini().WriteDateTime(engine::kHeartbeatSection, engine::kHeartbeatKey, clock().now());
  stopAndKillEngine(kAfterRestartKillMs);
  services_.WinServiceStart("", engine::kServiceName);
  ini().WriteString("Agente", "RestartBackup", "0");
  log("Serviço de Backup reiniciado.");
}

}  // namespace zorvak::agent
