#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "ports/platform.h"

namespace zorvak::agent {

// What the agent settles once per process, before the service framework looks at the switches
// (so also when the program only installs or uninstalls itself).
struct DataModule {
  std::string PathZorvak;  // folder of the executable, with a trailing separator
  std::int32_t xIntervalo = 0;
};

// Creates the log folder and reads CONFIG/Intervalo once.
DataModule DataModuleCreate(std::string_view exeFolder, ports::Platform& platform);

}  // namespace zorvak::agent
