#include <gtest/gtest.h>

#include "support/cycle_rig.h"

namespace zorvak::agent {
namespace {

using test::CycleRig;
using Lines = std::vector<std::string>;

const Lines kDataFiles = {"conta.xml", "comandos.xml", "politicas.xml", "Reportes.xml"};
const Lines kNormalReport = {"Zorvak", "Iniciando recriação de base local", "Parando Serviço", "Processo encerrado"};

std::string joined(const Lines& report) {
  std::string s;
  for (const auto& l : report) s += l + "\r\n";
  return s;
}

TEST(RecriarTest, Runs) {
  struct Case {
    const char* name;
    std::string ini;  // the whole configuration file
    std::function<void(CycleRig&)> arrange;
    const char* unlockLine;  // nullptr: the run fails
    Lines report;
    const char* body;
  } cases[] = {
      {"normal", "", nullptr, "x:Conta desbloqueada com sucesso", kNormalReport, "Conta=ZV0A1B"},
      {"resultado false", "", [](CycleRig& r) { r.http.answer(test::kUnlockUrl, 200, "OK", R"({"resultado":false})"); },
       "x:Falha ao desbloquear", kNormalReport, "Conta=ZV0A1B"},
      {"reply is no JSON", "", [](CycleRig& r) { r.http.answer(test::kUnlockUrl, 200, "OK", "<html>erro</html>"); },
       nullptr, {}, "Conta=ZV0A1B"},
      {"reply lacks resultado", "", [](CycleRig& r) { r.http.answer(test::kUnlockUrl, 200, "OK", R"({"ok":true})"); },
       nullptr, {}, "Conta=ZV0A1B"},
      {"server refuses", "", [](CycleRig& r) { r.http.answer(test::kUnlockUrl, 500, "Internal Server Error"); },
       nullptr, {}, "Conta=ZV0A1B"},
      {"no base URL", "[Conta]\nChave=ZV0A1B\n", nullptr, nullptr, {}, nullptr},
      {"no account key sends an empty value", "[CONFIG]\nPathNuvem=" + test::kServerUrl + "\n", nullptr,
       "x:Conta desbloqueada com sucesso", kNormalReport, "Conta="},
      {"a data file comes back before the second pass", "",
       [](CycleRig& r) {
         r.http.routes[test::kUnlockUrl] = [&r](const ports::HttpRequest&) {
           r.dir.write("Data/conta.xml", "<rebuilt/>");
           r.dir.write("Data/Reportes.xml", "<rebuilt/>");
           return test::ScriptedHttp::Reply(200, "OK", R"({"resultado":true})");
         };
       },
       "x:Conta desbloqueada com sucesso",
       {"Zorvak", "Iniciando recriação de base local", "Parando Serviço", "Falha ao remover Conta",
        "Falha ao remover Reportes", "Processo encerrado"},
       "Conta=ZV0A1B"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    CycleRig rig("[Atualizar]\nRecriar=1\n");
    if (!c.ini.empty()) rig.dir.write("Zorvak.ini", c.ini + "[Atualizar]\nRecriar=1\n");
    rig.files.createDirectories(rig.dir.file("Data"));
    for (const auto& f : kDataFiles) rig.dir.write("Data/" + f, "<dados/>");
    if (c.arrange) c.arrange(rig);
    rig.start();
    rig.dir.write("log/Atualizacao.txt", text::toCp1252("relatório anterior\r\n"));
    rig.http.sent.clear();
    rig.process->cycle.Recriar();

    for (const auto& f : kDataFiles) EXPECT_FALSE(rig.has("Data/" + f)) << f;
    EXPECT_EQ(rig.clock.pauses(), (std::vector<std::int64_t>{10000, 15000, 2000, 2000}));
    EXPECT_EQ(rig.processes.commandLines, Lines{"TASKKILL /im ZorvakService.exe /F"});
    if (c.body) {
      ASSERT_EQ(rig.http.sent.size(), 1u);
      EXPECT_EQ(rig.http.sent[0].request.method, "POST");
      EXPECT_EQ(rig.http.sent[0].request.body, c.body);
      EXPECT_FALSE(rig.http.sent[0].settings.verifyCertificate);
    } else {
      EXPECT_TRUE(rig.http.sent.empty());
    }
    const Lines m = rig.messages();
    if (c.unlockLine) {
      EXPECT_EQ(rig.report(), c.report);
      EXPECT_EQ(m, (Lines{"x:sslvTLSv1", "i:Zorvak Agente iniciado", "x:Recriando...", c.unlockLine,
                          "x:" + joined(c.report), "x:Base local recriada."}));
      EXPECT_EQ(rig.services.services["Zorvak"].status.currentState, ports::svc::kRunning);
    } else {
      EXPECT_EQ(rig.report(), Lines{"relatório anterior"});
      EXPECT_EQ(m, (Lines{"x:sslvTLSv1", "i:Zorvak Agente iniciado", "x:Recriando...",
                          "x:Falha na recriação da base de dados!"}));
      // Stopped and left to the cycle's closing step.
      EXPECT_EQ(rig.services.services["Zorvak"].status.currentState, ports::svc::kStopped);
      rig.cycle();  // Atualizar/Recriar is still "1": the cycle re-creates again and starts the engine
      EXPECT_EQ(rig.value("Atualizar", "Recriar"), "0");
      EXPECT_EQ(rig.services.services["Zorvak"].status.currentState, ports::svc::kRunning);
    }
    EXPECT_TRUE(rig.services.allClosed());
  }
}

}  // namespace
}  // namespace zorvak::agent
