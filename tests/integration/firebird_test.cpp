// The Firebird port against a real Firebird 3 (embedded engine and server), started by
// tests/peers/firebird.sh; and the scan over it.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "peers.h"
#include "posix/posix_platform.h"
#include "posix/posix_wizard.h"
#include "support/wizard_fakes.h"
#include "wizard/discovery.h"
#include "wizard/isc_firebird.h"

namespace zorvak::wizard {
namespace {

// Databases made once per run with isql-fb, in a folder the server's user can reach.
class FirebirdTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    ASSERT_EQ(std::system((test::SourceDir() + "/tests/peers/firebird.sh").c_str()), 0);
    dir_ = new test::TempDir();
    chmod(dir_->path().c_str(), 0777);
    make("win1252.fdb", "WIN1252", true,
         "INSERT INTO tb_emitente VALUES ('12.345.678/0001-90','Padaria São João','contato@padaria.com.br','011','3333-4444');");
    make("none.fdb", "NONE", true, "INSERT INTO tb_emitente VALUES ('1','Açougue Irmãos','a@b.c','021','2222-1111');");
    make("empty.fdb", "WIN1252", true, "");
    make("notable.fdb", "WIN1252", false, "");
  }
  static void TearDownTestSuite() {
    delete dir_;
    dir_ = nullptr;
  }
  // A database whose tb_emitente holds the row of `insert`; the script's bytes are in the
  // database's character set (Windows-1252 for NONE, as ZedozIze writes it).
  static void make(const std::string& name, const std::string& charset, bool table, const std::string& insert) {
    const std::string path = dir_->file(name);
    const bool none = charset == "NONE";
    std::string sql = std::string("SET NAMES ") + (none ? "WIN1252" : "UTF8") + ";\nCREATE DATABASE '" + path +
                      "' USER 'SYSDBA' PASSWORD 'masterkey' DEFAULT CHARACTER SET " + charset + ";\n";
    if (table) {
      sql += "CREATE TABLE tb_emitente (cnpj varchar(18), NOME varchar(60), email_cont varchar(60), "
             "ddd_comer varchar(3), fone_comer varchar(12));\nCOMMIT;\n" + insert + "\nCOMMIT;\n";
    }
    const std::string script = dir_->file(name + ".sql");
    std::ofstream(script, std::ios::binary) << (none ? text::toCp1252(sql) : sql);
    ASSERT_EQ(std::system(("isql-fb -q -i '" + script + "' >/dev/null 2>&1").c_str()), 0) << name;
    std::filesystem::permissions(path, std::filesystem::perms::all);
  }
  static ports::FirebirdParams params(const std::string& database) {
    return {database, kFirebirdUser, kFirebirdPassword, 20, 3};
  }
  std::string value(const std::vector<ports::FieldValue>& row, const std::string& name) {
    for (const auto& f : row) {
      if (f.name == name) return f.value;
    }
    return "<missing " + name + ">";
  }

  static test::TempDir* dir_;
  posix::PosixClock clock_;
  posix::FbClientLibrary library_;
  IscFirebird firebird_{library_, clock_};
};
test::TempDir* FirebirdTest::dir_ = nullptr;

TEST_F(FirebirdTest, EmbeddedAndServerDatabasesReadTheCompanyRight) {
  for (const std::string& db : {dir_->file("win1252.fdb"), "localhost:" + dir_->file("win1252.fdb"),
                                dir_->file("none.fdb"), "127.0.0.1/3050:" + dir_->file("none.fdb")}) {
    ASSERT_TRUE(firebird_.connect(params(db))) << db << ": " << firebird_.lastError();
    const auto row = firebird_.firstRow("select * from tb_emitente");
    ASSERT_TRUE(row) << db;
    EXPECT_EQ(row->size(), 5u);
    const bool none = db.find("none") != std::string::npos;
    EXPECT_EQ(value(*row, "NOME"), none ? "Açougue Irmãos" : "Padaria São João") << db;
    EXPECT_EQ(value(*row, "FONE_COMER"), none ? "2222-1111" : "3333-4444") << db;
    firebird_.close();
    EXPECT_FALSE(firebird_.connected());
  }
}

TEST_F(FirebirdTest, EmptyTableAndMissingTable) {
  ASSERT_TRUE(firebird_.connect(params(dir_->file("empty.fdb"))));
  EXPECT_FALSE(firebird_.firstRow("select * from tb_emitente"));
  ASSERT_TRUE(firebird_.connect(params(dir_->file("notable.fdb"))));
  try {
    firebird_.firstRow("select * from tb_emitente");
    FAIL() << "no error";
  } catch (const ports::DatabaseError& e) {
    EXPECT_NE(std::string(e.what()).find("Table unknown | TB_EMITENTE"), std::string::npos) << e.what();
  }
  // The connection is still usable after a failed query.
  ASSERT_TRUE(firebird_.connect(params(dir_->file("win1252.fdb"))));
  EXPECT_TRUE(firebird_.firstRow("select * from tb_emitente"));
}

TEST_F(FirebirdTest, FailedConnections) {
  struct Case {
    ports::FirebirdParams p;
    const char* error;
  };
  ports::FirebirdParams wrongPassword = params("localhost:" + dir_->file("win1252.fdb"));
  wrongPassword.password = "errada";
  const Case cases[] = {
      {wrongPassword, "Your user name and password are not defined"},
      {params("127.0.0.1/" + std::to_string(test::ClosedPort()) + ":" + dir_->file("win1252.fdb")),
       "Unable to complete network request"},
      {params(dir_->file("missing.fdb")), "No such file or directory"},
  };
  for (const Case& c : cases) {
    EXPECT_FALSE(firebird_.connect(c.p)) << c.p.database;
    EXPECT_NE(firebird_.lastError().find(c.error), std::string::npos) << firebird_.lastError();
    EXPECT_FALSE(firebird_.connected());
  }
}

TEST_F(FirebirdTest, HardDeadlineOnAConnectThatNeverCompletes) {
  // In a child process: the abandoned attach stays blocked in the kernel's connect for minutes,
  // and the client library's exit handler waits for it, so the child ends without exit handlers.
  EXPECT_EXIT(
      {
        IscFirebird firebird(library_, clock_, 1500);
        const std::string db = "127.0.0.1/" + std::to_string(test::Recorder::Get().port("blackhole")) + ":/x.fdb";
        const auto start = std::chrono::steady_clock::now();
        const bool connected = firebird.connect(params(db));
        const auto ms =
            std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count();
        const std::string error = firebird.lastError();
        // The next connection is not held up by the abandoned one.
        const bool next = firebird.connect(params(dir_->file("win1252.fdb")));
        const bool ok = !connected && ms >= 1400 && ms < 5000 &&
                        error.find("did not complete within 1500 ms") != std::string::npos && next;
        std::fprintf(stderr, "connected=%d after %lld ms, error: %s; next=%d (%s)\n", connected,
                     static_cast<long long>(ms), error.c_str(), next, firebird.lastError().c_str());
        std::fflush(nullptr);
        std::_Exit(ok ? 0 : 1);
      },
      ::testing::ExitedWithCode(0), "");
}

TEST_F(FirebirdTest, ScanOverRealDatabasesEndsAtTheMissingTable) {
  const std::string root = dir_->file("scan/");
  auto install = [&](const std::string& name, const std::string& database) {
    std::filesystem::create_directories(root + name);
    std::ofstream(root + name + "/dided.ini") << "[FB]\r\nDatabase=" << database << "\r\n";
    std::ofstream(root + name + "/c4b.exe");
    std::ofstream(root + name + "/gbak.exe");
  };
  install("a", "localhost:" + dir_->file("win1252.fdb"));
  install("b", dir_->file("empty.fdb"));
  install("c", dir_->file("notable.fdb"));
  install("d", dir_->file("none.fdb"));
  std::filesystem::create_directories(dir_->file("app"));

  test::VirtualClock vclock;
  test::MarkedFiles files;
  posix::PosixProfileStore profiles;
  posix::FixedRegionalSettings regional;
  ports::Platform platform{vclock, files, profiles, regional};
  test::RecordingShell shell(vclock);
  Flow flow(shell);
  shell.attach(flow);
  test::RecordingDiscoveryView view;
  test::FakeMachine machine;
  test::RecordingAccountServer server;
  Discovery discovery(view, flow, shell, platform, machine, firebird_, server, {dir_->file("app/"), "", ""});
  discovery.Create();
  discovery.KeyDown(kVkF11);
  view.path = root;
  discovery.ScanClicked();
  ASSERT_EQ(view.lines.size(), 2u);
  EXPECT_TRUE(view.lines[0].enabled);
  EXPECT_EQ(view.lines[1].text, "2) Base [ " + UpperText(dir_->file("empty.fdb")) + " ] Nenhuma empresa cadastrada");
  ASSERT_EQ(view.errors.size(), 1u);
  EXPECT_NE(view.errors[0].find("Table unknown"), std::string::npos);
  EXPECT_EQ(view.razaoText, "Padaria São João");
  EXPECT_FALSE(firebird_.connected());
}

}  // namespace
}  // namespace zorvak::wizard
