// Process primitives, one for one with the Windows calls the process helper needs. Each returns
// the system error code of the call (0 on success).
#pragma once

#include <cstdint>
#include <string_view>

#include "core/os_error.h"

namespace zorvak::ports {

using ProcessHandle = std::uintptr_t;  // 0 is none

inline constexpr std::uint32_t kStillActive = 259;
inline constexpr std::uint32_t kWaitObject0 = 0;
inline constexpr std::uint32_t kWaitTimeout = 258;
inline constexpr std::uint32_t kWaitFailed = 0xFFFFFFFF;

struct ProcessInformation {
  ProcessHandle process = 0;
  ProcessHandle thread = 0;  // 0 where the platform has no thread handle
};

class Processes : public SystemMessages {
 public:
  // Starts `commandLine` (UTF-8) as the system parses a command line: the first token names the
  // program, searched for in the system's usual order. No console window; the caller's handles,
  // environment and current folder are inherited.
  virtual std::uint32_t CreateProcessW(std::string_view commandLine, ProcessInformation& info) = 0;
  // kWaitObject0 when the process ended, kWaitTimeout when `ms` passed first, kWaitFailed.
  virtual std::uint32_t WaitForSingleObject(ProcessHandle process, std::uint32_t ms) = 0;
  // kStillActive while the process runs.
  virtual std::uint32_t GetExitCodeProcess(ProcessHandle process, std::uint32_t& exitCode) = 0;
  // Closing a handle leaves its process running.
  virtual void CloseHandle(ProcessHandle handle) = 0;
};

}  // namespace zorvak::ports
