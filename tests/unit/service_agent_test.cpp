#include "agent/service_agent.h"

#include <gtest/gtest.h>

#include "core/text.h"
#include "posix/posix_platform.h"
#include "support/temp_dir.h"
#include "support/virtual_clock.h"

namespace zorvak::agent {
namespace {

class ServiceAgentTest : public ::testing::Test {
 protected:
  std::string log() {
    std::string all;
    for (const auto& e : files_.listDirectory(dir_.file("log"))) all += dir_.read("log/" + e.name);
    return all;
  }
  // The messages of the day's log, in order.
  std::vector<std::string> messages() {
    std::vector<std::string> out;
    const std::string text = text::fromCp1252(log());
    for (std::size_t pos = 0; (pos = text.find("- ", pos)) != std::string::npos;) {
      const std::size_t end = text.find("\r\n", pos);
      out.push_back(text.substr(pos + 2, end - pos - 2));
      pos = end;
    }
    return out;
  }
  struct Agent {
    Agent(ports::Platform& p, const std::string& folder)
        : dm(DataModuleCreate(folder, p)), log(dm.PathZorvak, p.clock, p.files, p.regional), service(p, dm, log) {}
    DataModule dm;
    AgentLog log;
    ZorvakServiceAgent service;
  };
  std::unique_ptr<Agent> create() { return std::make_unique<Agent>(platform_, dir_.path()); }

  test::TempDir dir_;
  test::VirtualClock clock_;
  posix::PosixFileSystem files_;
  posix::PosixProfileStore profiles_;
  posix::FixedRegionalSettings regional_;
  ports::Platform platform_{clock_, files_, profiles_, regional_};
};

TEST_F(ServiceAgentTest, ProgramStartMakesTheLogFolderAndLogsNothing) {
  dir_.write("Zorvak.ini", "[CONFIG]\nIntervalo=H2\n");
  const auto agent = create();
  EXPECT_EQ(agent->dm.xIntervalo, 7200000);
  EXPECT_TRUE(files_.directoryExists(dir_.file("log")));
  EXPECT_EQ(log(), "");
}

TEST_F(ServiceAgentTest, StartWithDefaults) {
  const auto agent = create();
  agent->service.ServiceStart();
  EXPECT_TRUE(files_.directoryExists(dir_.file("Bkp")));
  EXPECT_TRUE(files_.directoryExists(dir_.file("Temp")));
  EXPECT_EQ(agent->service.timerInterval(), 300000);
  EXPECT_EQ(agent->service.storeProtocol(), "http");
  EXPECT_EQ(agent->service.serverBaseUrl(), "");
  EXPECT_EQ(agent->service.tlsVersions(), TlsVersions{.tls10 = true});
  EXPECT_EQ(messages(), (std::vector<std::string>{"x:sslvTLSv1", "i:Zorvak Agente iniciado"}));
}

TEST_F(ServiceAgentTest, StartWithSettings) {
  dir_.write("Zorvak.ini",
             "[Config]\nIntervalo=M0\nPathNuvem=http://srv/app/\nTipoHTTP=https\nSSL=[sslvTLSv1_2]\n"
             "PathBkp=" + dir_.path() + "b/k/p/\n");
  const auto agent = create();
  agent->service.ServiceStart();
  EXPECT_EQ(agent->service.timerInterval(), 60000);  // M0 would never fire
  EXPECT_TRUE(files_.directoryExists(dir_.file("b/k/p")));
  EXPECT_EQ(agent->service.serverBaseUrl(), "http://srv/app/");
  EXPECT_EQ(agent->service.storeProtocol(), "https");
  EXPECT_EQ(messages(), (std::vector<std::string>{"x:sslvTLSv1", "x:sslvTLSv1_2", "i:Zorvak Agente iniciado"}));
}

TEST_F(ServiceAgentTest, EmptyFolderSettingFailsTheStart) {
  for (const char* key : {"PathBkp", "PathTemp"}) {
    dir_.write("Zorvak.ini", std::string("[CONFIG]\n") + key + "=\n");
    const auto agent = create();
    EXPECT_THROW(agent->service.ServiceStart(), std::runtime_error) << key;
    EXPECT_EQ(log().find("iniciado"), std::string::npos) << key;
  }
}

TEST_F(ServiceAgentTest, CyclesRunOneFullIntervalApartAndAStopLetsTheRunningCycleEnd) {
  dir_.write("Zorvak.ini", "[CONFIG]\nIntervalo=M1\n");
  const auto agent = create();
  agent->service.ServiceStart();
  auto stop = clock_.makeEvent();
  std::vector<std::int64_t> starts;
  bool running = false;
  agent->service.setCycle([&] {
    ASSERT_FALSE(running) << "cycles overlap";
    running = true;
    starts.push_back(clock_.monotonicMs());
    agent->service.log().GravaLogTXT("Verificação Iniciada");
    clock_.advance(7000);  // the cycle's own work takes 7 s
    if (starts.size() == 3) {
      // The control thread's stop arrives while the third cycle runs.
      agent->service.ServiceStop();
      stop->set();
      clock_.advance(2000);
    }
    agent->service.log().GravaLogTXT("Verificação finalizada");
    running = false;
  });
  agent->service.ServiceExecute(*stop);
  EXPECT_EQ(starts, (std::vector<std::int64_t>{0, 67000, 134000}));
  const auto m = messages();
  ASSERT_GE(m.size(), 3u);
  EXPECT_EQ(std::vector<std::string>(m.end() - 3, m.end()),
            (std::vector<std::string>{"x:Verificação Iniciada", "i:Zorvak Agente  parado", "x:Verificação finalizada"}));
}

}  // namespace
}  // namespace zorvak::agent
