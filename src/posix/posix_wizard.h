// Adapters of the wizard's ports for native builds and tests.
#pragma once

#include <string>

#include "ports/machine.h"
#include "wizard/isc_api.h"

namespace zorvak::posix {

// libfbclient.so.2 through dlopen, looked for once.
class FbClientLibrary final : public isc::Library {
 public:
  explicit FbClientLibrary(std::string soname = "libfbclient.so.2") : soname_(std::move(soname)) {}
  const isc::Api* load(std::string& error) override;

 private:
  std::string soname_;
  bool tried_ = false;
  bool ok_ = false;
  std::string error_;
  isc::Api api_{};
};

class PosixMachine final : public ports::Machine {
 public:
  // No drive letters here: the native builds scan one folder at a time.
  std::uint32_t logicalDrives() override { return 0; }
  std::string computerName() override;
};

}  // namespace zorvak::posix
