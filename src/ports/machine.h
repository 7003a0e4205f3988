// What the wizard asks of the machine beyond files: the present drive letters and its name.
#pragma once

#include <cstdint>
#include <string>

namespace zorvak::ports {

class Machine {
 public:
  virtual ~Machine() = default;
  // Bit 0 is A:, bit 1 is B:, and so on (GetLogicalDrives).
  virtual std::uint32_t logicalDrives() = 0;
  // The NetBIOS name, or empty when the platform cannot tell.
  virtual std::string computerName() = 0;
};

}  // namespace zorvak::ports
