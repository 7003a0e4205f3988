// The machine's regional date and time patterns (Windows: the user locale).
#pragma once

#include "core/regional.h"

namespace zorvak::ports {

class RegionalSettings {
 public:
  virtual ~RegionalSettings() = default;
  virtual RegionalFormat format() = 0;
};

}  // namespace zorvak::ports
