#include <gtest/gtest.h>

#include "support/cycle_rig.h"

namespace zorvak::agent {
namespace {

using test::CycleRig;
using Lines = std::vector<std::string>;

const Lines kHead = {"Zorvak", "Iniciando atualização"};
Lines operator+(Lines a, const Lines& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

std::string joined(const Lines& report) {
  std::string s;
  for (const auto& l : report) s += l + "\r\n";
  return s;
}

struct Files {
  const char *exe, *fresh, *old;  // contents; nullptr: absent
};

TEST(AtualizaBackupTest, ReportSequences) {
  struct Case {
    const char* name;
    Files before;
    std::function<void(CycleRig&)> arrange;
    Lines report;
    Files after;
    bool engineStopped;
  } cases[] = {
      {"failed fetch, with the reason", {test::kOldEngine, nullptr, "v0"},
       [](CycleRig& r) { r.http.answer(test::kStoreEngine, 403, "Forbidden"); },
       kHead + Lines{"Efetuando Download", "Falha no Download do executável:Forbidden"},
       {test::kOldEngine, nullptr, "v0"}, false},
      {"store unreachable", {test::kOldEngine, nullptr, nullptr},
       [](CycleRig& r) { r.http.routes.erase(test::kStoreEngine); },
       kHead + Lines{"Efetuando Download", "Falha na atualização Couldn't connect to server"},
       {test::kOldEngine, nullptr, nullptr}, false},
      {"normal update with a previous .old", {test::kOldEngine, nullptr, "v0"}, nullptr,
       kHead + Lines{"Efetuando Download", "Parando Serviço", "Removendo versão antiga", "Renomeando EXE>OLD",
                     "Atualizado com sucesso", "Iniciando o Serviço"},
       {test::kNewEngine, nullptr, test::kOldEngine}, true},
      {"left-over .new", {test::kOldEngine, "half a download", nullptr}, nullptr,
       kHead + Lines{"Preparando destino", "Efetuando Download", "Parando Serviço", "Renomeando EXE>OLD",
                     "Atualizado com sucesso", "Iniciando o Serviço"},
       {test::kNewEngine, nullptr, test::kOldEngine}, true},
      {"first installation", {nullptr, nullptr, nullptr}, nullptr,
       kHead + Lines{"Efetuando Download", "Parando Serviço", "Renomeando EXE>OLD", "Atualizado com sucesso",
                     "Iniciando o Serviço"},
       {test::kNewEngine, nullptr, nullptr}, true},
      {"NEW>EXE fails, roll-back succeeds", {test::kOldEngine, nullptr, nullptr},
       [](CycleRig& r) { r.files.failingRenames.insert({r.dir.file("ZorvakService.new"), r.dir.file("ZorvakService.exe")}); },
       kHead + Lines{"Efetuando Download", "Parando Serviço", "Renomeando EXE>OLD", "Falha ao renomear NEW>EXE",
                     "Problema encontrado. Revertendo...", "Revertido com sucesso", "Iniciando o Serviço"},
       {test::kOldEngine, test::kNewEngine, nullptr}, true},
      {"NEW>EXE fails, roll-back fails", {test::kOldEngine, nullptr, nullptr},
       [](CycleRig& r) {
         r.files.failingRenames.insert({r.dir.file("ZorvakService.new"), r.dir.file("ZorvakService.exe")});
         r.files.failingRenames.insert({r.dir.file("ZorvakService.old"), r.dir.file("ZorvakService.exe")});
       },
       kHead + Lines{"Efetuando Download", "Parando Serviço", "Renomeando EXE>OLD", "Falha ao renomear NEW>EXE",
                     "Problema encontrado. Revertendo...", "Falha ao reverter", "Iniciando o Serviço"},
       {nullptr, test::kNewEngine, test::kOldEngine}, true},
      // The old engine stays in place: no success line.
      {"EXE>OLD fails", {test::kOldEngine, nullptr, "v0"},
       [](CycleRig& r) { r.files.failingRenames.insert({r.dir.file("ZorvakService.exe"), r.dir.file("ZorvakService.old")}); },
       kHead + Lines{"Efetuando Download", "Parando Serviço", "Removendo versão antiga", "Renomeando EXE>OLD",
                     "Falha ao renomear EXE>OLD", "Iniciando o Serviço"},
       {test::kOldEngine, test::kNewEngine, nullptr}, true},
      {"kill command cannot start", {test::kOldEngine, nullptr, nullptr},
       [](CycleRig& r) { r.processes.createError = 2; },
       // The system's message begins a line of its own in the report file.
       kHead + Lines{"Efetuando Download", "Parando Serviço", "Falha na atualização System Error.  Code: 2.",
                     "The system cannot find the file specified"},
       {test::kOldEngine, test::kNewEngine, nullptr}, true},
      // An earlier update was cut off between its two renames: the old engine comes back.
      {"no .exe, store refuses", {nullptr, test::kNewEngine, test::kOldEngine},
       [](CycleRig& r) { r.http.answer(test::kStoreEngine, 403, "Forbidden"); },
       kHead + Lines{"Preparando destino", "Efetuando Download", "Falha no Download do executável:Forbidden",
                     "Problema encontrado. Revertendo...", "Revertido com sucesso"},
       {test::kOldEngine, nullptr, nullptr}, false},
      {"no .exe, store unreachable", {nullptr, nullptr, test::kOldEngine},
       [](CycleRig& r) { r.http.routes.erase(test::kStoreEngine); },
       kHead + Lines{"Efetuando Download", "Falha na atualização Couldn't connect to server",
                     "Problema encontrado. Revertendo...", "Revertido com sucesso"},
       {test::kOldEngine, nullptr, nullptr}, false},
      // .old is the only engine on disk: it is kept until the new one is in place.
      {"no .exe, store answers", {nullptr, nullptr, test::kOldEngine}, nullptr,
       kHead + Lines{"Efetuando Download", "Parando Serviço", "Renomeando EXE>OLD", "Atualizado com sucesso",
                     "Iniciando o Serviço"},
       {test::kNewEngine, nullptr, test::kOldEngine}, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    CycleRig rig("[Atualizar]\nBackup=1\n");
    const auto place = [&](const char* name, const char* bytes) {
      if (bytes) rig.dir.write(name, bytes);
      else rig.files.deleteFile(rig.dir.file(name));
    };
    place("ZorvakService.exe", c.before.exe);
    place("ZorvakService.new", c.before.fresh);
    place("ZorvakService.old", c.before.old);
    if (c.arrange) c.arrange(rig);
    rig.start();
    rig.process->cycle.AtualizaBackup();
    EXPECT_EQ(rig.report(), c.report);
    EXPECT_EQ(rig.content("ZorvakService.exe"), c.after.exe ? c.after.exe : "<absent>");
    EXPECT_EQ(rig.content("ZorvakService.new"), c.after.fresh ? c.after.fresh : "<absent>");
    EXPECT_EQ(rig.content("ZorvakService.old"), c.after.old ? c.after.old : "<absent>");
    EXPECT_EQ(rig.value("Atualizar", "Recriar"), "1");
    EXPECT_EQ(rig.services.count("ControlService(1)"), c.engineStopped ? 1 : 0);
    if (c.engineStopped && !rig.processes.createError) {
      EXPECT_EQ(rig.clock.pauses(), (std::vector<std::int64_t>{10000, 15000}));
    }
    // The daily log holds the report as one entry between the two lines of the update.
    const Lines m = rig.messages();
    ASSERT_GE(m.size(), 3u);
    EXPECT_EQ(Lines(m.end() - 3, m.end()), (Lines{"x:Atualizando...", "x:" + joined(c.report), "x:Atualização finalizada."}));
    EXPECT_TRUE(rig.services.allClosed());
  }
}

TEST(AtualizaBackupTest, EngineIsStartedAgainAfterTheSwap) {
  CycleRig rig("[Atualizar]\nBackup=1\n");
  rig.start();
  rig.cycle();
  EXPECT_EQ(rig.services.services["Zorvak"].status.currentState, ports::svc::kRunning);
  EXPECT_EQ(rig.services.count("StartServiceW"), 1);  // the update's own start; the cycle's finds it running
  EXPECT_EQ(rig.value("Atualizar", "Backup"), "0");
}

TEST(AtualizaBackupTest, ClosingStepThatRaisesKeepsTheRequest) {
  CycleRig rig("[Atualizar]\nBackup=1\n");
  rig.services.services.clear();  // no engine service: the update's closing start raises
  rig.start();
  rig.cycle();
  const Lines m = rig.messages();
  EXPECT_NE(std::find(m.begin(), m.end(),
                      "e:Falha no Agente: System Error.  Code: 1060.\r\nThe specified service does not exist as an "
                      "installed service"),
            m.end());
  EXPECT_EQ(m.back(), "x:Verificação finalizada");
  EXPECT_EQ(rig.value("Atualizar", "Backup"), "1");
  EXPECT_EQ(rig.value("Atualizar", "Recriar"), "1");
}

}  // namespace
}  // namespace zorvak::agent
