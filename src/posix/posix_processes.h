// Processes for native builds: posix_spawn under the Windows-shaped process port, so the process
// helper runs against real child processes in native tests.
#pragma once

#include <map>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "ports/processes.h"

namespace zorvak::posix {

// Splits a command line as Windows programs read theirs: blanks separate, double quotes group,
// backslashes are literal except before a quote (2n+1 backslashes then a quote give n and a
// quote). The program token takes quotes only, and its backslashes become slashes.
std::vector<std::string> splitCommandLine(std::string_view commandLine);

// Process handles are process ids. Errors are Windows codes (ENOENT gives 2); exit code of a
// child ended by a signal is 128 plus the signal number, as a shell reports it.
class PosixProcesses final : public ports::Processes {
 public:
  std::uint32_t CreateProcessW(std::string_view commandLine,
                               ports::ProcessInformation& info) override;
  std::uint32_t WaitForSingleObject(ports::ProcessHandle process, std::uint32_t ms) override;
  std::uint32_t GetExitCodeProcess(ports::ProcessHandle process, std::uint32_t& exitCode) override;
  void CloseHandle(ports::ProcessHandle handle) override;
  std::string SysErrorMessage(std::uint32_t code) override;

 private:
  // Reaps the child if it has ended; true then, with its exit code recorded.
  bool reap(int pid);

  std::mutex mutex_;
  std::map<int, std::uint32_t> exited_;  // reaped children whose handle is still open
};

}  // namespace zorvak::posix
