#include "agent/verification_cycle.h"

#include <gtest/gtest.h>

#include "support/cycle_rig.h"

namespace zorvak::agent {
namespace {

using test::CycleRig;
using Lines = std::vector<std::string>;

const std::string kKill = "TASKKILL /im ZorvakService.exe /F";

// The messages from the first one equal to `first` on.
Lines from(const Lines& all, const std::string& first) {
  for (std::size_t i = 0; i < all.size(); ++i) {
    if (all[i] == first) return Lines(all.begin() + i, all.end());
  }
  return {};
}

int countOf(const Lines& all, const std::string& m) { return static_cast<int>(std::count(all.begin(), all.end(), m)); }

TEST(VerificarTest, FirstCycleThenTheNextOne) {
  CycleRig rig;
  rig.start();
  rig.cycle();
  EXPECT_EQ(from(rig.messages(), "x:Verificação Iniciada"),
            (Lines{"x:Verificação Iniciada", "i:Iniciando testes...!", "i:Iniciando conexao",
                   "i:conexão com AWS bem sucedida!", "i:conectado a internet!", "x:Verificação finalizada"}));
  EXPECT_TRUE(rig.process->cycle.lConectou());
  // The probe goes out on the management client: the Indy headers, no certificate check.
  const auto& probe = rig.http.sent.back();
  EXPECT_EQ(probe.request.url, deployment::kProbeUrl);
  EXPECT_FALSE(probe.settings.verifyCertificate);
  EXPECT_EQ(probe.settings.tls, TlsVersions{.tls10 = true});
  EXPECT_EQ(rig.value("STATUS", "Agente"), rig.value("STATUS", "Backup"));  // both "now"

  rig.clock.advance(300000);
  rig.heartbeat(rig.clock.now());
  rig.cycle();
  EXPECT_EQ(from(rig.messages(), "x:Verificação finalizada"),
            (Lines{"x:Verificação finalizada", "x:Verificação Iniciada", "x:Verificação finalizada"}));
  EXPECT_EQ(rig.http.sent.size(), 2u);  // the test ran once
  EXPECT_TRUE(rig.clock.pauses().empty());
  // The final start finds the engine running and sends no start request.
  EXPECT_EQ(rig.services.count("StartServiceW"), 0);
  EXPECT_TRUE(rig.services.allClosed());
}

TEST(VerificarTest, ReachabilityFailuresAreRetriedNextCycle) {
  struct Case {
    const char* name;
    bool storeAnswers, probeAnswers;
    Lines lines;
  } cases[] = {
      {"store answers, probe does not", true, false,
       {"i:Iniciando testes...!", "i:Iniciando conexao", "i:conexão com AWS bem sucedida!",
        "i:Abrindo conexão ao AWS (Loop de entrada)", "x:Verificação finalizada"}},
      {"store unreachable", false, true,
       {"i:Iniciando testes...!", "i:Iniciando conexao", "i:Falha na conexão com a Nuvem!", "x:Verificação finalizada"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    CycleRig rig;
    if (!c.storeAnswers) rig.http.routes.erase(test::kStoreList);
    if (!c.probeAnswers) rig.http.answer(deployment::kProbeUrl, 301, "Moved Permanently");
    rig.start();
    rig.cycle();
    EXPECT_EQ(from(rig.messages(), "i:Iniciando testes...!"), c.lines);
    EXPECT_FALSE(rig.process->cycle.lConectou());
    rig.cycle();
    EXPECT_EQ(countOf(rig.messages(), "i:Iniciando conexao"), 2);
  }
}

TEST(VerificarTest, StoreThatRefusesIsNotReachable) {
  CycleRig rig;
  rig.http.answer(test::kStoreList, 403, "Forbidden");
  rig.start();
  rig.cycle();
  EXPECT_EQ(countOf(rig.messages(), "i:Falha na conexão com a Nuvem!"), 1);
  EXPECT_EQ(countOf(rig.messages(), "i:conexão com AWS bem sucedida!"), 0);
}

TEST(VerificarTest, UpdateAndRecreationRequestedTogether) {
  CycleRig rig("[Atualizar]\nBackup=1\nRecriar=1\n");
  rig.start();
  rig.cycle();
  EXPECT_EQ(countOf(rig.messages(), "x:Atualizando..."), 1);
  EXPECT_EQ(countOf(rig.messages(), "x:Recriando..."), 0);
  EXPECT_EQ(rig.value("Atualizar", "Backup"), "0");
  EXPECT_EQ(rig.value("Atualizar", "Recriar"), "1");
  rig.cycle();
  EXPECT_EQ(countOf(rig.messages(), "x:Atualizando..."), 1);
  EXPECT_EQ(countOf(rig.messages(), "x:Recriando..."), 1);
  EXPECT_EQ(rig.value("Atualizar", "Recriar"), "0");
}

TEST(VerificarTest, OnlyTheExactTextOneIsARequest) {
  for (const char* text : {"0", "2", "sim", "true", "", "11"}) {
    SCOPED_TRACE(text);
    CycleRig rig(std::string("[Atualizar]\nBackup=") + text + "\nRecriar=" + text + "\n[Agente]\nRestartBackup=" +
                 text + "\n");
    rig.start();
    rig.cycle();
    EXPECT_EQ(rig.messages().back(), "x:Verificação finalizada");
    EXPECT_EQ(rig.messages().size(), 8u) << "no update, re-creation or restart";
  }
}

TEST(VerificarTest, NoExecutableUpdatesEveryCycleUntilThereIsOne) {
  CycleRig rig("[Atualizar]\nBackup=0\n");
  rig.files.deleteFile(rig.dir.file("ZorvakService.exe"));
  rig.http.answer(test::kStoreEngine, 404, "Not Found");
  rig.start();
  rig.cycle();
  rig.cycle();
  EXPECT_EQ(countOf(rig.messages(), "x:Atualizando..."), 2);
  EXPECT_FALSE(rig.has("ZorvakService.exe"));
  rig.http.answer(test::kStoreEngine, 200, "OK", test::kNewEngine);
  rig.cycle();
  EXPECT_EQ(rig.content("ZorvakService.exe"), test::kNewEngine);
  rig.cycle();  // the re-creation the update asked for
  rig.cycle();
  EXPECT_EQ(countOf(rig.messages(), "x:Atualizando..."), 3);
  EXPECT_EQ(countOf(rig.messages(), "x:Recriando..."), 1);
}

TEST(VerificarTest, StalledEngineCheck) {
  struct Case {
    const char* name;
    std::int64_t stampOffsetMs;  // from now; positive is in the future
    const char* timeout;         // Agente/BackupTimeout, nullptr: absent
    const char* stampText;       // instead of a date-time, when set
    bool restart;
    std::int64_t thenMs = 0;     // time passing after the stamp was written
  } cases[] = {
      {"equal to the default time-out", -1200000, nullptr, nullptr, false},
      {"one second more", -1201000, nullptr, nullptr, true},
      {"a fraction of a second more is truncated", -1200000, nullptr, nullptr, false, 999},
      {"in the future by the time-out", 1200000, nullptr, nullptr, false},
      {"in the future by one second more", 1201000, nullptr, nullptr, true},
      {"negative time-out", 0, "-1", nullptr, true},
      {"time-out that is no integer counts as 1200", -1201000, "20 min", nullptr, true},
      {"time-out that is no integer, within 1200", -1200000, "x", nullptr, false},
      {"custom time-out", -61000, "60", nullptr, true},
      {"largest time-out, stamp 40 years old", -40LL * 365 * 86400000, "2147483647", nullptr, false},
      {"absent stamp", 0, nullptr, "<absent>", true},
      {"stamp that is no date-time", 0, nullptr, "ontem", true},
      {"absent stamp, largest time-out", 0, "2147483647", "<absent>", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    CycleRig rig(c.timeout ? std::string("[Agente]\nBackupTimeout=") + c.timeout + "\n" : "");
    rig.start(false);
    if (!c.stampText) rig.heartbeat(DateTime{rig.clock.now().ms + c.stampOffsetMs});
    else if (std::string(c.stampText) != "<absent>") rig.ini().WriteString("STATUS", "Backup", c.stampText);
    rig.clock.advance(c.thenMs);
    const DateTime start = rig.clock.now();
    rig.cycle();
    EXPECT_EQ(countOf(rig.messages(), "x:Reiniciando Serviço de Backup..."), c.restart ? 1 : 0);
    EXPECT_EQ(countOf(rig.messages(), "x:Serviço de Backup reiniciado."), c.restart ? 1 : 0);
    if (c.restart) {
      // Stamped when the restart began, before the pauses.
      EXPECT_EQ(rig.ini().ReadDateTime("STATUS", "Backup", {}), start);
      EXPECT_EQ(rig.clock.pauses(), (std::vector<std::int64_t>{10000, 5000}));
      EXPECT_EQ(rig.processes.commandLines, (std::vector<std::string>{kKill}));
    }
  }
}

TEST(VerificarTest, RestartIsStampedSoASilentEngineRestartsOncePerTimeout) {
  CycleRig rig("[Agente]\nBackupTimeout=600\n");
  rig.start(false);  // the engine never writes its heartbeat
  for (int i = 0; i < 8; ++i) {
    rig.cycle();
    rig.clock.advance(300000 - 15000);  // five-minute ticks; the restart took 15 s
    if (i % 2 == 0) rig.clock.advance(15000);
  }
  EXPECT_EQ(countOf(rig.messages(), "x:Reiniciando Serviço de Backup..."), 3);
}

TEST(VerificarTest, RestartRequested) {
  CycleRig rig("[Agente]\nRestartBackup=1\n");
  rig.services.services["Zorvak"].onStop = [](test::ScriptedService& s) { s.status = {ports::svc::kStopped, 0, 0}; };
  rig.start();
  rig.clock.advance(1000);
  const DateTime restartTime = rig.clock.now();
  rig.cycle();
  EXPECT_EQ(rig.value("Agente", "RestartBackup"), "0");
  EXPECT_EQ(rig.ini().ReadDateTime("STATUS", "Backup", {}), restartTime);
  EXPECT_EQ(from(rig.messages(), "x:Reiniciando Serviço de Backup..."),
            (Lines{"x:Reiniciando Serviço de Backup...", "x:Serviço de Backup reiniciado.", "x:Verificação finalizada"}));
  // Stopped, then started by the restart; the closing start finds it running.
  EXPECT_EQ(rig.services.count("ControlService(1)"), 1);
  EXPECT_EQ(rig.services.count("StartServiceW"), 1);
}

TEST(VerificarTest, EngineServiceMissing) {
  CycleRig rig("[Agente]\nRestartBackup=1\n");
  rig.services.services.clear();
  rig.start();
  rig.cycle();
  const Lines m = rig.messages();
  EXPECT_EQ(from(m, "x:Reiniciando Serviço de Backup..."),
            (Lines{"x:Reiniciando Serviço de Backup...",
                   "e:Falha no Agente: System Error.  Code: 1060.\r\nThe specified service does not exist as an "
                   "installed service",
                   "x:Verificação finalizada"}));
  EXPECT_EQ(rig.value("Agente", "RestartBackup"), "1");
  EXPECT_TRUE(rig.services.allClosed());
}

TEST(VerificarTest, KillCommandThatCannotStartEndsTheProtectedPart) {
  CycleRig rig("[Agente]\nRestartBackup=1\n");
  rig.processes.createError = 2;
  rig.start();
  rig.cycle();
  EXPECT_EQ(countOf(rig.messages(),
                    "e:Falha no Agente: System Error.  Code: 2.\r\nThe system cannot find the file specified"),
            1);
  EXPECT_EQ(rig.value("Agente", "RestartBackup"), "1");
  EXPECT_EQ(rig.messages().back(), "x:Verificação finalizada");
}

}  // namespace
}  // namespace zorvak::agent
