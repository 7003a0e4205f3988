// A process port for native unit tests: records every command line, ends each process at once
// with a chosen exit code, or refuses to start it. Every handle must be closed exactly once.
#pragma once

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "ports/processes.h"

namespace zorvak::test {

class ScriptedProcesses final : public ports::Processes {
 public:
  std::vector<std::string> commandLines;
  std::uint32_t createError = 0;  // while set, no process starts
  std::uint32_t exitCode = 128;   // TASKKILL's code when no such process runs

  ~ScriptedProcesses() override {
    if (!open_.empty()) ADD_FAILURE() << open_.size() << " process handle(s) left open";
  }
  bool allClosed() const { return open_.empty(); }

  std::uint32_t CreateProcessW(std::string_view commandLine, ports::ProcessInformation& info) override {
    commandLines.emplace_back(commandLine);
    if (createError) return createError;
    info.process = ++last_;
    info.thread = ++last_;
    open_.insert(info.process);
    open_.insert(info.thread);
    return 0;
  }
  std::uint32_t WaitForSingleObject(ports::ProcessHandle, std::uint32_t) override { return ports::kWaitObject0; }
  std::uint32_t GetExitCodeProcess(ports::ProcessHandle, std::uint32_t& code) override {
    code = exitCode;
    return 0;
  }
  void CloseHandle(ports::ProcessHandle handle) override {
    if (open_.erase(handle) != 1) ADD_FAILURE() << "closing a process handle that is not open";
  }
  std::string SysErrorMessage(std::uint32_t code) override {
    return code == 2 ? "The system cannot find the file specified.\r\n" : "Scripted error.\r\n";
  }

 private:
  std::set<ports::ProcessHandle> open_;
  ports::ProcessHandle last_ = 0;
};

}  // namespace zorvak::test
