// The service manager and process primitives on advapi32 and kernel32. Handles cross the ports
// as their Win32 values; names are widened to UTF-16 here.
#pragma once

#include "ports/processes.h"
#include "ports/service_manager.h"

namespace zorvak::win32 {

class Win32ServiceManager final : public ports::ServiceManager {
 public:
  std::uint32_t OpenSCManagerW(std::string_view machine, std::uint32_t access,
                               ports::ScHandle& manager) override;
  std::uint32_t OpenServiceW(ports::ScHandle manager, std::string_view service,
                             std::uint32_t access, ports::ScHandle& handle) override;
  std::uint32_t QueryServiceStatus(ports::ScHandle service, ports::ServiceStatus& status) override;
  std::uint32_t StartServiceW(ports::ScHandle service) override;
  std::uint32_t ControlService(ports::ScHandle service, std::uint32_t control,
                               ports::ServiceStatus& status) override;
  void CloseServiceHandle(ports::ScHandle handle) override;
  std::string SysErrorMessage(std::uint32_t code) override;
};

// CreateProcessW with no application name, hidden (CREATE_NO_WINDOW), handles inherited.
class Win32Processes final : public ports::Processes {
 public:
  std::uint32_t CreateProcessW(std::string_view commandLine,
                               ports::ProcessInformation& info) override;
  std::uint32_t WaitForSingleObject(ports::ProcessHandle process, std::uint32_t ms) override;
  std::uint32_t GetExitCodeProcess(ports::ProcessHandle process, std::uint32_t& exitCode) override;
  void CloseHandle(ports::ProcessHandle handle) override;
  std::string SysErrorMessage(std::uint32_t code) override;
};

}  // namespace zorvak::win32
