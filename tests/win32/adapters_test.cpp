// The Windows adapters on the real API (run under Wine).
#include <windows.h>

#include <gtest/gtest.h>

#include "core/ini_file.h"
#include "core/regional.h"
#include "win32/wide.h"
#include "win32/win32_platform.h"

namespace zorvak::win32 {
namespace {

class Win32Adapters : public ::testing::Test {
 protected:
  void SetUp() override {
    wchar_t tmp[MAX_PATH];
    GetTempPathW(MAX_PATH, tmp);
    folder_ = narrow(tmp) + "zorvak-adapters-" + std::to_string(GetCurrentProcessId()) + "\\";
    ASSERT_TRUE(files_.createDirectories(folder_ + "a\\b"));
  }
  void TearDown() override {
    for (const char* f : {"a\\b\\x.txt", "a\\b\\y.txt", "t.ini", "log.txt"}) files_.deleteFile(folder_ + f);
    RemoveDirectoryW(widen(folder_ + "a\\b").c_str());
    RemoveDirectoryW(widen(folder_ + "a").c_str());
    RemoveDirectoryW(widen(folder_).c_str());
  }

  Win32FileSystem files_;
  std::string folder_;
};

TEST_F(Win32Adapters, FilesWriteAppendRenameAndList) {
  const std::string x = folder_ + "a\\b\\x.txt", y = folder_ + "a\\b\\y.txt";
  files_.writeFile(x, "S\xE3o");
  files_.appendFile(x, "\r\n");
  EXPECT_EQ(files_.readFile(x), "S\xE3o\r\n");
  EXPECT_EQ(files_.fileSize(x), 5u);
  EXPECT_TRUE(files_.renameFile(x, y));
  files_.writeFile(x, "again");
  EXPECT_FALSE(files_.renameFile(x, y));  // MoveFileW does not replace
  const auto entries = files_.listDirectory(folder_ + "a\\b");
  EXPECT_EQ(entries.size(), 2u);
  EXPECT_TRUE(files_.deleteFile(y));
  EXPECT_FALSE(files_.fileExists(y));
  EXPECT_THROW(files_.readFile(folder_ + "missing.txt"), ports::FileError);
  EXPECT_THROW(files_.appendFile(folder_ + "no\\such\\folder\\f.txt", "x"), ports::FileError);
  EXPECT_FALSE(files_.createDirectories(""));
}

TEST_F(Win32Adapters, ProfileFileAndTypedOperations) {
  Win32ProfileStore store;
  Win32RegionalSettings regional;
  // The agent's doubled separator names the same file as the wizard's single one.
  IniFile wizard(store.open(folder_ + "t.ini"), regional);
  IniFile agent(store.open(folder_ + "\\t.ini"), regional);
  wizard.WriteString("Config", "PathNuvem", "http://x/");
  EXPECT_EQ(agent.ReadString("CONFIG", "PathNuvem", "d"), "http://x/");
  agent.WriteInteger("Agente", "BackupTimeout", -5);
  EXPECT_EQ(wizard.ReadInteger("agente", "backuptimeout", 0), -5);
  const DateTime t = toDateTime({2026, 12, 9, 15, 45, 0, 0});
  agent.WriteDateTime("STATUS", "Backup", t);
  EXPECT_EQ(wizard.ReadString("STATUS", "Backup", ""), "09/12/2026 15:45:00");
  EXPECT_EQ(wizard.ReadDateTime("STATUS", "Backup", DateTime{}), t);
  EXPECT_THROW(IniFile(store.open(folder_ + "nowhere\\t.ini"), regional).WriteBool("A", "b", true), IniWriteError);
  try {
    IniFile(store.open(folder_ + "nowhere\\t.ini"), regional).WriteString("A", "b", "c");
  } catch (const IniWriteError& e) {
    EXPECT_EQ(std::string(e.what()), "Unable to write to " + folder_ + "nowhere\\t.ini");
  }
}

TEST_F(Win32Adapters, RegionalSettingsOfABrazilianServer) {
  // The wine prefix is made with LC_ALL=pt_BR.UTF-8.
  const RegionalFormat f = Win32RegionalSettings().format();
  EXPECT_EQ(f.shortDate, "dd/MM/yyyy");
  EXPECT_EQ(f.longTime, "HH:mm:ss");
}

TEST(Win32Clock, EventWaitsAndWakes) {
  Win32Clock clock;
  auto event = clock.makeEvent();
  const auto before = clock.monotonicMs();
  EXPECT_FALSE(event->wait(50));
  EXPECT_GE(clock.monotonicMs() - before, 40);
  event->set();
  EXPECT_TRUE(event->wait(10000));
  EXPECT_TRUE(event->isSet());
  const CivilTime now = toCivil(clock.now());
  EXPECT_GE(now.year, 2024);
}

TEST(Wide, RoundTripAndSystemText) {
  EXPECT_EQ(narrow(widen("Verificação €")), "Verificação €");
  EXPECT_FALSE(systemMessage(ERROR_FILE_NOT_FOUND).empty());
}

}  // namespace
}  // namespace zorvak::win32
