#include "agent/data_module.h"

#include "agent/interval.h"
#include "core/ini_file.h"
#include "core/paths.h"

namespace zorvak::agent {

DataModule DataModuleCreate(std::string_view exeFolder, ports::Platform& platform) {
  DataModule dm;
  dm.PathZorvak = withTrailingSeparator(exeFolder);
  platform.files.createDirectories(dm.PathZorvak + "log");
  // The agent names the file with a doubled separator; it is the same file.
  IniFile ini(platform.profiles.open(dm.PathZorvak + "\\" + kConfigFileName), platform.regional);
  dm.xIntervalo = ComputeInterval(ini.ReadString("CONFIG", "Intervalo", ""));
  return dm;
}

}  // namespace zorvak::agent
