// The ports one program runs on, handed to the behaviour as one bundle.
#pragma once

#include "ports/clock.h"
#include "ports/files.h"
#include "ports/profile_file.h"
#include "ports/regional_settings.h"

namespace zorvak::ports {

struct Platform {
  Clock& clock;
  FileSystem& files;
  ProfileStore& profiles;
  RegionalSettings& regional;
};

}  // namespace zorvak::ports
