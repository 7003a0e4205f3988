// The typed operations over our INI engine on real files.
#include "core/ini_file.h"

#include <gtest/gtest.h>

#include "posix/posix_platform.h"
#include "support/temp_dir.h"

namespace zorvak {
namespace {

class IniFileTest : public ::testing::Test {
 protected:
  IniFile open(const std::string& name = "Zorvak.ini") { return IniFile(store_.open(dir_.file(name)), regional_); }
  void write(const std::string& text) { dir_.write("Zorvak.ini", text); }

  test::TempDir dir_;
  posix::PosixProfileStore store_;
  posix::FixedRegionalSettings regional_;
};

TEST_F(IniFileTest, IntegerAndFlagForms) {
  struct Case {
    const char* stored;  // nullptr: key absent
    std::int32_t asInteger;  // default 7
    bool asBool;             // default true
  };
  const Case cases[] = {{nullptr, 7, true}, {"", 7, true},  {"0", 0, false}, {"2", 2, true},
                        {"abc", 7, true},   {"0x1F", 31, true}, {"-3", -3, true}, {"1.5", 7, true}};
  for (const Case& c : cases) {
    write(c.stored ? std::string("[Opcoes]\nEmailSeg=") + c.stored + "\n" : "");
    IniFile ini = open();
    EXPECT_EQ(ini.ReadInteger("Opcoes", "EmailSeg", 7), c.asInteger) << (c.stored ? c.stored : "absent");
    EXPECT_EQ(ini.ReadBool("Opcoes", "EmailSeg", true), c.asBool) << (c.stored ? c.stored : "absent");
  }
}

TEST_F(IniFileTest, OnlyExactlyOneIsARequest) {
  for (const auto& [stored, set] : {std::pair{"1", true}, {"01", false}, {"true", false}, {"yes", false},
                                    {"", false}, {" 1 ", true}}) {
    write(std::string("[Atualizar]\nBackup=") + stored + "\n");
    EXPECT_EQ(open().ReadTextFlag("Atualizar", "Backup"), set) << stored;
  }
}

TEST_F(IniFileTest, TextDefaultsOnlyWhenAbsent) {
  write("[CONFIG]\nPathNuvem=\n");
  IniFile ini = open();
  EXPECT_EQ(ini.ReadString("CONFIG", "PathNuvem", "http://default/"), "");
  EXPECT_EQ(ini.ReadString("Opcoes", "HoraSab", "15:00"), "15:00");
  EXPECT_EQ(ini.ReadString("Opcoes", "HoraSeg", "20:00"), "20:00");
  ini.WriteString("CONFIG", "PathBkp", std::string(3000, 'p'));
  EXPECT_EQ(ini.ReadString("CONFIG", "PathBkp", "").size(), 2047u);
}

TEST_F(IniFileTest, DateTimeRoundTripAndForeignSettings) {
  IniFile ini = open();
  const DateTime t = toDateTime({2026, 12, 9, 15, 45, 0, 0});
  ini.WriteDateTime("STATUS", "Backup", t);
  EXPECT_EQ(dir_.read("Zorvak.ini"), "[STATUS]\r\nBackup=09/12/2026 15:45:00\r\n");
  EXPECT_EQ(ini.ReadDateTime("STATUS", "Backup", DateTime{}), t);
  posix::FixedRegionalSettings us(RegionalFormat{"M/d/yyyy", "h:mm:ss tt", "AM", "PM"});
  IniFile other(store_.open(dir_.file("Zorvak.ini")), us);
  other.WriteDateTime("STATUS", "Backup", toDateTime({2026, 12, 13, 15, 45, 0, 0}));  // 12/13/2026
  const DateTime fallback{42};
  EXPECT_EQ(ini.ReadDateTime("STATUS", "Backup", fallback), fallback);
}

TEST_F(IniFileTest, SeesOtherWritersAndTheDoubledSeparator) {
  IniFile agent(store_.open(dir_.path() + "\\Zorvak.ini"), regional_);
  IniFile wizard = open();
  wizard.WriteString("Conta", "Chave", "ZV1");
  EXPECT_EQ(agent.ReadString("Conta", "Chave", ""), "ZV1");
  write("[Conta]\nChave=ZV2\n");  // a third program rewrites the file
  EXPECT_EQ(agent.ReadString("Conta", "Chave", ""), "ZV2");
}

TEST_F(IniFileTest, FailedWritesRaiseAndLoseNothing) {
  IniFile nowhere(store_.open(dir_.file("missing/Zorvak.ini")), regional_);
  try {
    nowhere.WriteString("A", "k", "v");
    FAIL() << "no error";
  } catch (const IniWriteError& e) {
    EXPECT_EQ(std::string(e.what()), "Unable to write to " + dir_.file("missing/Zorvak.ini"));
  }
  EXPECT_EQ(nowhere.ReadString("A", "k", "d"), "d");

  // A folder that is not writable: a plain file stands where the folder should be (this
  // refuses even root). The write raises and the file already there is left as it was.
  write("[A]\nk=v\n");
  IniFile blocked(store_.open(dir_.file("Zorvak.ini/inner.ini")), regional_);
  EXPECT_THROW(blocked.WriteString("A", "k", "w"), IniWriteError);
  EXPECT_EQ(blocked.ReadString("A", "k", "d"), "d");
  EXPECT_EQ(dir_.read("Zorvak.ini"), "[A]\nk=v\n");
  // The file is replaced whole: no temporary file is left beside it.
  open().WriteString("A", "k", "w");
  int files = 0;
  for (const auto& e : posix::PosixFileSystem().listDirectory(dir_.path())) files += !e.isDirectory;
  EXPECT_EQ(files, 1);
}

}  // namespace
}  // namespace zorvak
