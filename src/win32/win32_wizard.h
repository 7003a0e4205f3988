// Adapters of the wizard's ports on the Windows API.
#pragma once

#include <string>

#include "ports/machine.h"
#include "wizard/isc_api.h"

namespace zorvak::win32 {

// fbclient.dll: first by the usual search order (the program's folder, System32, PATH), then
// from the folders of the Firebird instances the registry lists. A library of the other
// bitness fails to load and the next place is tried.
class FbClientLibrary final : public isc::Library {
 public:
  const isc::Api* load(std::string& error) override;

 private:
  bool tried_ = false;
  bool ok_ = false;
  std::string error_;
  isc::Api api_{};
};

class Win32Machine final : public ports::Machine {
 public:
  std::uint32_t logicalDrives() override;
  std::string computerName() override;
};

}  // namespace zorvak::win32
