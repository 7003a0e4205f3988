#include "core/process_helpers.h"

#include "core/text.h"

namespace zorvak {

std::uint32_t ExecuteAndWait(ports::Processes& processes, std::string_view aCommando,
                             std::uint32_t timeoutMs) {
  ports::ProcessInformation info;
  if (auto err = processes.CreateProcessW(text::trim(aCommando), info)) {
    raiseOsError(processes, err);
  }
  // Whether the wait ended by exit or by time-out shows in the exit code alone.
  processes.WaitForSingleObject(info.process, timeoutMs);
  std::uint32_t exitCode = ports::kStillActive;
  if (processes.GetExitCodeProcess(info.process, exitCode) != oserr::kSuccess) {
    exitCode = ports::kStillActive;
  }
  processes.CloseHandle(info.process);
  if (info.thread != 0) processes.CloseHandle(info.thread);
  return exitCode;
}

}  // namespace zorvak
