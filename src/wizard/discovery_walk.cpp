#include "wizard/discovery_walk.h"

#include "core/text.h"

namespace zorvak::wizard {
namespace {

// A folder the walk goes into: a directory whose name is not blank and does not begin with a
// full stop (".git", ".cache": never an installation, sometimes huge).
bool enters(const ports::DirEntry& e) {
  return e.isDirectory && !text::trim(e.name).empty() && e.name[0] != '.';
}

}  // namespace

void DiscoveryWalk::PegaUnidades(std::uint32_t drives, std::vector<std::string>& found) {
  for (int bit = 0; bit <= 8; ++bit) {
    if (drives & (1u << bit)) {
      MapeiaDiretorio(std::string(1, static_cast<char>('A' + bit)) + ":\\", kDidedIni, found);
    }
  }
}

void DiscoveryWalk::MapeiaDiretorio(const std::string& caminho, std::string_view arquivo,
                                    std::vector<std::string>& found) {
  for (const ports::DirEntry& e : files_.listDirectory(caminho)) {
    if (e.hidden) continue;
    if (text::equalsNoCase(e.name, arquivo)) {
      found.push_back(caminho);
    } else if (enters(e)) {
      MapeiaSubDiretorio(caminho + e.name + "\\", arquivo, found);
    }
  }
}

void DiscoveryWalk::MapeiaSubDiretorio(const std::string& caminho, std::string_view arquivo,
                                       std::vector<std::string>& found) {
  for (const ports::DirEntry& e : files_.listDirectory(caminho)) {
    if (e.hidden) continue;
    if (nContaPastas == 0) {
      progress_("Procurando por instalações do sistema Dided. Por favor, aguarde...\r" +
                std::string(text::prefixChars(caminho, kProgressPathChars)));
    }
    if (++nContaPastas > 100) nContaPastas = 0;
    if (e.name == arquivo) {
      found.push_back(caminho);
    } else if (enters(e)) {
      MapeiaSubDiretorio(caminho + e.name + "\\", arquivo, found);
    }
  }
}

}  // namespace zorvak::wizard
