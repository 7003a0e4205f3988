#include "win32/win32_service_manager.h"

#include <windows.h>

#include "win32/wide.h"

namespace zorvak::win32 {
namespace {

SC_HANDLE sc(ports::ScHandle h) { return reinterpret_cast<SC_HANDLE>(h); }
HANDLE kernel(ports::ProcessHandle h) { return reinterpret_cast<HANDLE>(h); }

std::uint32_t result(BOOL ok) { return ok ? 0 : GetLastError(); }

void copy(const SERVICE_STATUS& from, ports::ServiceStatus& to) {
  to.currentState = from.dwCurrentState;
  to.checkPoint = from.dwCheckPoint;
  to.waitHint = from.dwWaitHint;
}

}  // namespace

std::uint32_t Win32ServiceManager::OpenSCManagerW(std::string_view machine, std::uint32_t access,
                                                  ports::ScHandle& manager) {
  const std::wstring name = widen(machine);  // "" is the local machine, as a null name is
  SC_HANDLE h = ::OpenSCManagerW(name.c_str(), nullptr, access);
  if (!h) return GetLastError();
  manager = reinterpret_cast<ports::ScHandle>(h);
  return 0;
}

std::uint32_t Win32ServiceManager::OpenServiceW(ports::ScHandle manager, std::string_view service,
                                                std::uint32_t access, ports::ScHandle& handle) {
  SC_HANDLE h = ::OpenServiceW(sc(manager), widen(service).c_str(), access);
  if (!h) return GetLastError();
  handle = reinterpret_cast<ports::ScHandle>(h);
  return 0;
}

std::uint32_t Win32ServiceManager::QueryServiceStatus(ports::ScHandle service,
                                                      ports::ServiceStatus& status) {
  SERVICE_STATUS ss{};
  if (!::QueryServiceStatus(sc(service), &ss)) return GetLastError();
  copy(ss, status);
  return 0;
}

std::uint32_t Win32ServiceManager::StartServiceW(ports::ScHandle service) {
  return result(::StartServiceW(sc(service), 0, nullptr));
}

std::uint32_t Win32ServiceManager::ControlService(ports::ScHandle service, std::uint32_t control,
                                                  ports::ServiceStatus& status) {
  SERVICE_STATUS ss{};
  const std::uint32_t err = result(::ControlService(sc(service), control, &ss));
  // Windows and Wine fill the record in for a service that is not active; should a system
  // leave it empty, the service is still known to be stopped.
  if (err == ERROR_SERVICE_NOT_ACTIVE && ss.dwCurrentState == 0) ss.dwCurrentState = SERVICE_STOPPED;
  copy(ss, status);
  return err;
}

void Win32ServiceManager::CloseServiceHandle(ports::ScHandle handle) {
  ::CloseServiceHandle(sc(handle));
}

std::string Win32ServiceManager::SysErrorMessage(std::uint32_t code) { return systemMessage(code); }

std::uint32_t Win32Processes::CreateProcessW(std::string_view commandLine,
                                             ports::ProcessInformation& info) {
  // CreateProcessW may write into the command line, so it gets a copy of its own.
  std::wstring line = widen(commandLine);
  STARTUPINFOW si{};
  si.cb = sizeof si;
  si.wShowWindow = SW_HIDE;  // not in force without STARTF_USESHOWWINDOW; CREATE_NO_WINDOW hides
  PROCESS_INFORMATION pi{};
  if (!::CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr,
                        nullptr, &si, &pi)) {
    return GetLastError();
  }
  info.process = reinterpret_cast<ports::ProcessHandle>(pi.hProcess);
  info.thread = reinterpret_cast<ports::ProcessHandle>(pi.hThread);
  return 0;
}

std::uint32_t Win32Processes::WaitForSingleObject(ports::ProcessHandle process, std::uint32_t ms) {
  return ::WaitForSingleObject(kernel(process), ms);
}

std::uint32_t Win32Processes::GetExitCodeProcess(ports::ProcessHandle process,
                                                 std::uint32_t& exitCode) {
  DWORD code = 0;
  if (!::GetExitCodeProcess(kernel(process), &code)) return GetLastError();
  exitCode = code;
  return 0;
}

void Win32Processes::CloseHandle(ports::ProcessHandle handle) { ::CloseHandle(kernel(handle)); }

std::string Win32Processes::SysErrorMessage(std::uint32_t code) { return systemMessage(code); }

}  // namespace zorvak::win32
