// ini_scenario FOLDER: writes a set of hand-made INI files into FOLDER, runs the same reads and
// writes on each through the platform's profile functions, and records every read in
// FOLDER/reads.txt. Two runs (native engine, Windows profile functions) must leave identical
// folders.
#include <cstdio>
#include <string>
#include <vector>

#ifdef _WIN32
#include "win32/wide.h"
#include "win32/win32_platform.h"
using PlatformFiles = zorvak::win32::Win32FileSystem;
using PlatformProfiles = zorvak::win32::Win32ProfileStore;
#else
#include "posix/posix_platform.h"
using PlatformFiles = zorvak::posix::PosixFileSystem;
using PlatformProfiles = zorvak::posix::PosixProfileStore;
#endif

namespace {

struct Initial {
  const char* name;
  std::string bytes;  // empty: no file at all
};

std::vector<Initial> initialFiles() {
  std::string garbage;
  for (int i = 0; i < 512; ++i) garbage += static_cast<char>((i * 37 + 11) % 256);
  return {
      {"missing", ""},
      {"irregular",
       "  [CONFIG] \n Intervalo = M15 \n\n;comment line\nno equals here\n[config]\nPathNuvem=dup\n"
       "[STATUS]\nBackup = \"09/12/2026 15:45:00\"\nKey=1\nkey=2\n=empty\n=empty2\nsq='single'\n"
       "uq=\"unmatched\n\t[A]\t\nk=v\n"},
      {"crlf_and_cr", "[A]\r\nk=1\r\n[B]\rj=2\rz=3\r\n"},
      {"lf_only", "[A]\nk=1\n\n\n[B]\nj=2\n"},
      {"utf8_bom", "\xEF\xBB\xBF[Conta]\nRazao=Padaria S\xC3\xA3o Jo\xC3\xA3o\n"},
      {"no_sections", "k=v\nx = y\n"},
      {"duplicates", "[A]\nk=v\n[a]\nk=second\nz=only-in-second\n[A]\nk=third\n"},
      {"cp1252", "[Conta]\r\nRazao=Padaria S\xE3o Jo\xE3o\r\nEmail=caf\xE9@x.com\r\n"},
      {"long_value", "[Long]\nv=" + std::string(3000, 'a') + "\nq=\"" + std::string(2046, 'b') + "\"\n"},
      {"garbage", garbage},
  };
}

struct Read {
  const char* section;
  const char* key;
};

const Read kReads[] = {
    {"CONFIG", "Intervalo"}, {"Config", "INTERVALO"}, {"config", "PathNuvem"}, {"A", "k"},
    {"a", "z"},              {"", "k"},               {"", "x"},               {"Conta", "Razao"},
    {"Conta", "Email"},      {"STATUS", "Backup"},    {"STATUS", "key"},       {"STATUS", ""},
    {"STATUS", "sq"},        {"STATUS", "uq"},        {" A ", " k "},          {"B", "j"},
    {"B", "z"},              {"Long", "v"},           {"Long", "q"},           {"none", "none"},
    {"NewSec", "NewKey"},    {"Spaces", "padded"},    {"Emoji", "k"},          {"A", "no equals here"},
};

struct Write {
  const char* section;
  const char* key;
  std::string value;
};

std::vector<Write> writes() {
  return {
      {"CONFIG", "Intervalo", "H2"},
      {"NewSec", "NewKey", "S\xC3\xA3o Jo\xC3\xA3o \xE2\x82\xAC"},
      {"A", "k", "replaced"},
      {"a", "K", "mixed case"},
      {"A", "k", "mixed case"},  // unchanged value: nothing to write
      {"Long", "v", std::string(3000, 'x') + "\xC3\xA9"},
      {"STATUS", "Backup", "11/12/2026 13:00:00"},
      {"Emoji", "k", "\xE4\xB8\x80 \xF0\x9F\x98\x80"},
      {"  Spaces ", "  padded  ", "   lead and trail   "},
      {"Conta", "Email", ""},
  };
}

}  // namespace

#ifdef _WIN32
int wmain(int argc, wchar_t** argv) {
  if (argc != 2) return 2;
  std::string folder = zorvak::win32::narrow(argv[1]);
#else
int main(int argc, char** argv) {
  if (argc != 2) return 2;
  std::string folder = argv[1];
#endif
  if (!folder.empty() && folder.back() != '\\' && folder.back() != '/') folder += '\\';
  PlatformFiles files;
  PlatformProfiles profiles;
  std::string report;
  auto readAll = [&](zorvak::ports::ProfileFile& ini, const char* phase) {
    for (const Read& r : kReads) {
      report += std::string(phase) + " [" + r.section + "] " + r.key + " = <" +
                ini.readString(r.section, r.key, "default") + ">\n";
    }
  };
  for (const Initial& init : initialFiles()) {
    const std::string file = folder + init.name + ".ini";
    if (!init.bytes.empty()) files.writeFile(file, init.bytes);
    auto ini = profiles.open(file);
    report += "== " + std::string(init.name) + "\n";
    readAll(*ini, "before");
    for (const Write& w : writes()) {
      if (!ini->writeString(w.section, w.key, w.value)) report += "write failed\n";
    }
    readAll(*ini, "after");
  }
  // A write into a folder that does not exist fails and creates nothing.
  auto nowhere = profiles.open(folder + "no-such-folder\\x.ini");
  report += std::string("write into missing folder: ") + (nowhere->writeString("A", "k", "v") ? "ok" : "failed") + "\n";
  files.writeFile(folder + "reads.txt", report);
  return 0;
}
