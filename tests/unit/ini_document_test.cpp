#include "core/ini_document.h"

#include <gtest/gtest.h>

namespace zorvak {
namespace {

using namespace std::string_literals;

std::optional<std::string> lookup(const std::string& text, const char* section, const char* key) {
  return IniDocument::parse(text).find(section, key);
}

TEST(IniDocument, ReadsAsTheProfileFunctionsDo) {
  struct Case {
    std::string text;
    const char* section;
    const char* key;
    std::optional<std::string> want;
  };
  const Case cases[] = {
      {"[Config]\nIntervalo=M15\n", "CONFIG", "intervalo", "M15"},  // names without case
      {"[CONFIG]\r\nPathNuvem=a\r\n", "Config", "PathNuvem", "a"},
      {"  [A]  \n  k  =  v w  \n", "A", "k", "v w"},                // blanks trimmed
      {"[A]\nk=\n", "A", "k", ""},                                    // present and empty
      {"[A]\nk\n", "A", "k", std::nullopt},                           // no "=": not a value
      {"[A]\nk=1\nK=2\n", "A", "k", "1"},                             // first key wins
      {"[A]\nk=1\n[a]\nk=2\nz=3\n", "a", "z", std::nullopt},          // first section wins
      {"x=1\n[A]\n", "", "x", "1"},                                   // lines before any header
      {"[A]\rk=1\rj=2\r", "A", "j", "2"},                             // CR alone ends a line
      {"[ A ]\nk=1\n", " A ", " k ", "1"},                            // lookups trimmed too
      {"[A\nk=1\n", "A", "k", std::nullopt},                          // "[A" is no header
      {"\xEF\xBB\xBF[A]\nk=S\xC3\xA3o\n", "A", "k", "São"},         // UTF-8 with BOM
      {"[A]\nk=S\xE3o\n", "A", "k", "São"},                           // Windows-1252
      {"[A]\nk=a\0b\n"s, "A", "k", "a"},                              // NUL ends a value
  };
  for (const Case& c : cases) EXPECT_EQ(lookup(c.text, c.section, c.key), c.want) << c.text;
  EXPECT_EQ(lookup(std::string("\xFF\xFE[\0A\0]\0\n\0k\0=\0v\0", 16), "A", "k"), "v");  // UTF-16
}

TEST(IniDocument, WritesCanonicalTextInPlace) {
  IniDocument doc = IniDocument::parse(
      "; kept\n[CONFIG]\n  Intervalo = M15 \n\n;note\n[STATUS]\nBackup=old\n");
  EXPECT_TRUE(doc.set("status", "BACKUP", "new"));  // replaced in place, stored name kept
  EXPECT_TRUE(doc.set("CONFIG", "PathNuvem", "http://x/"));  // new key at the end of its section
  EXPECT_TRUE(doc.set("Conta", "Razao", "Padaria São João €"));  // new section at the end
  EXPECT_FALSE(doc.set("STATUS", "Backup", "new"));  // unchanged: nothing to write
  EXPECT_EQ(doc.serialize(),
            "; kept\r\n[CONFIG]\r\nIntervalo=M15\r\n;note\r\nPathNuvem=http://x/\r\n[STATUS]\r\n"
            "Backup=new\r\n[Conta]\r\nRazao=Padaria S\xE3o Jo\xE3o \x80\r\n");
}

TEST(IniDocument, KeepsTheFileEncoding) {
  IniDocument utf8 = IniDocument::parse("\xEF\xBB\xBF[A]\n");
  utf8.set("A", "k", "一");
  EXPECT_EQ(utf8.serialize(), "\xEF\xBB\xBF[A]\r\nk=一\r\n");
  IniDocument ansi = IniDocument::parse("");
  ansi.set("A", "k", "一 😀");
  EXPECT_EQ(ansi.serialize(), "[A]\r\nk=? ??\r\n");
}

TEST(IniDocument, ReadValueStripsQuotesAndCutsAt2047) {
  EXPECT_EQ(profileReadValue("\"09/12/2026 15:45:00\""), "09/12/2026 15:45:00");
  EXPECT_EQ(profileReadValue("'x'"), "x");
  EXPECT_EQ(profileReadValue("\"x"), "\"x");
  EXPECT_EQ(profileReadValue("\""), "\"");
  EXPECT_EQ(profileReadValue(std::string(3000, 'a')), std::string(2047, 'a'));
  std::string accents;
  for (int i = 0; i < 2100; ++i) accents += "ã";
  EXPECT_EQ(profileReadValue(accents).size(), 2047u * 2);  // characters, not bytes
}

TEST(IniDocument, BadInputNeverFails) {
  std::string garbage;
  for (int i = 0; i < 100000; ++i) garbage += static_cast<char>(i * 131 % 256);
  IniDocument doc = IniDocument::parse(garbage);
  EXPECT_TRUE(doc.set("A", "k", "v"));
  EXPECT_EQ(IniDocument::parse(doc.serialize()).find("A", "k"), "v");
  const std::string longLine = "[A]\nk=" + std::string(10 << 20, 'x') + "\n";
  EXPECT_EQ(IniDocument::parse(longLine).find("A", "k")->size(), std::size_t(10 << 20));
}

}  // namespace
}  // namespace zorvak
