// The walk for ZedozIze installations: every folder holding the searched file, in the order
// the listings yield them, nested ones included.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "ports/files.h"

namespace zorvak::wizard {

inline constexpr const char* kDidedIni = "dided.ini";
inline constexpr std::size_t kProgressPathChars = 165;

class DiscoveryWalk {
 public:
  // `progress` gets the status text every 101st entry below the starting folder and is where
  // the window lets pending events through.
  DiscoveryWalk(ports::FileSystem& files, std::function<void(const std::string&)> progress)
      : files_(files), progress_(std::move(progress)) {}

  // Drives A: to I: whose bits are set in `drives`.
  void PegaUnidades(std::uint32_t drives, std::vector<std::string>& found);
  // The starting folder (ending in a backslash): the file name matches here without case.
  void MapeiaDiretorio(const std::string& caminho, std::string_view arquivo, std::vector<std::string>& found);

  // Entries seen below starting folders since the program started, 0 to 100; never reset.
  int nContaPastas = 0;

 private:
  void MapeiaSubDiretorio(const std::string& caminho, std::string_view arquivo, std::vector<std::string>& found);

  ports::FileSystem& files_;
  std::function<void(const std::string&)> progress_;
};

}  // namespace zorvak::wizard
