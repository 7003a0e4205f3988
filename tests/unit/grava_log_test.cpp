#include "agent/grava_log.h"

#include <gtest/gtest.h>

#include <thread>

#include "posix/posix_platform.h"
#include "support/temp_dir.h"
#include "support/virtual_clock.h"

namespace zorvak::agent {
namespace {

const std::string kRule(100, '_');

class GravaLog : public ::testing::Test {
 protected:
  GravaLog() { files_.createDirectories(dir_.file("log")); }
  std::string day(const char* yyyymmdd) { return dir_.read(std::string("log/Agent_") + yyyymmdd + ".txt"); }

  test::TempDir dir_;
  test::VirtualClock clock_;  // 09/12/2026 15:45:00
  posix::PosixFileSystem files_;
  posix::FixedRegionalSettings regional_;
  AgentLog log_{dir_.path(), clock_, files_, regional_};
};

TEST_F(GravaLog, EntryLayoutAndKindPrefix) {
  log_.GravaLogTXT("i:Zorvak Agente iniciado");
  log_.GravaLogTXT("Verificação Iniciada");
  log_.GravaLogTXT("a:b");
  log_.GravaLogTXT("");
  log_.GravaLogTXT("e");
  EXPECT_EQ(day("20261209"), "09/12/2026 15:45:00- i:Zorvak Agente iniciado\r\n" + kRule + "\r\n" +
                                 "09/12/2026 15:45:00- x:Verifica\xE7\xE3o Iniciada\r\n" + kRule + "\r\n" +
                                 "09/12/2026 15:45:00- a:b\r\n" + kRule + "\r\n" +
                                 "09/12/2026 15:45:00- x:\r\n" + kRule + "\r\n" +
                                 "09/12/2026 15:45:00- x:e\r\n" + kRule + "\r\n");
}

TEST_F(GravaLog, MidnightStartsANewFileWithTheDateAlone) {
  clock_.set({2026, 12, 9, 23, 59, 59, 500});
  log_.GravaLogTXT("i:antes");
  clock_.set({2026, 12, 10, 0, 0, 0, 0});
  log_.GravaLogTXT("i:meia-noite");
  EXPECT_EQ(day("20261209"), "09/12/2026 23:59:59- i:antes\r\n" + kRule + "\r\n");
  EXPECT_EQ(day("20261210"), "10/12/2026- i:meia-noite\r\n" + kRule + "\r\n");
}

TEST_F(GravaLog, ReportReplacesTheFileAndIsLoggedAsOneEntry) {
  log_.WriteReport({"Atualização Backup", "Baixando", "Renomeando", "Fim"});
  log_.WriteReport({"Segundo"});
  EXPECT_EQ(dir_.read("log/Atualizacao.txt"), "Segundo\r\n");
  EXPECT_EQ(day("20261209"), "09/12/2026 15:45:00- x:Atualiza\xE7\xE3o Backup\r\nBaixando\r\nRenomeando\r\nFim\r\n\r\n" +
                                 kRule + "\r\n09/12/2026 15:45:00- x:Segundo\r\n\r\n" + kRule + "\r\n");
}

TEST_F(GravaLog, MissingFolderRaisesAndTwoWritersLoseNothing) {
  AgentLog elsewhere(dir_.file("nowhere/"), clock_, files_, regional_);
  EXPECT_THROW(elsewhere.GravaLogTXT("i:x"), ports::FileError);

  posix::PosixClock realClock;
  AgentLog shared(dir_.path(), realClock, files_, regional_);
  auto writer = [&](const char* msg) {
    for (int i = 0; i < 500; ++i) shared.GravaLogTXT(msg);
  };
  std::thread a(writer, "i:thread a"), b(writer, "i:thread b");
  a.join();
  b.join();
  std::string all;
  for (const auto& e : files_.listDirectory(dir_.file("log"))) all += dir_.read("log/" + e.name);
  std::size_t entries = 0;
  for (std::size_t pos = 0; (pos = all.find("- i:thread ", pos)) != std::string::npos; ++pos) ++entries;
  EXPECT_EQ(entries, 1000u);
  std::size_t rules = 0;
  for (std::size_t pos = 0; (pos = all.find(kRule + "\r\n", pos)) != std::string::npos; pos += kRule.size()) ++rules;
  EXPECT_EQ(rules, 1000u);
}

}  // namespace
}  // namespace zorvak::agent
