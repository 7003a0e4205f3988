#include "win32/service_app.h"

#include <memory>
#include <mutex>
#include <stdexcept>
#include <vector>

#include "core/service_switches.h"
#include "win32/handles.h"
#include "win32/wide.h"
#include "win32/win32_platform.h"

namespace zorvak::win32 {
namespace {

void recordInEventLog(const std::wstring& source, const std::wstring& text) {
  HANDLE log = RegisterEventSourceW(nullptr, source.c_str());
  if (!log) return;
  const wchar_t* strings[] = {text.c_str()};
  ReportEventW(log, EVENTLOG_ERROR_TYPE, 0, 0, nullptr, 1, 0, strings, nullptr);
  DeregisterEventSource(log);
}

std::wstring failureText(const char* handler, const std::exception* e) {
  return L"Service failed on " + widen(handler) + L": " + (e ? widen(e->what()) : L"unknown error");
}

int registration(const ServiceIdentity& id, bool install, bool silent) {
  DWORD error = ERROR_SUCCESS;
  {
    ServiceHandle scm(OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
    if (!scm) {
      error = GetLastError();
    } else if (install) {
      const std::wstring command = widen(QuotedProgram(exePath()));
      ServiceHandle svc(CreateServiceW(scm.get(), id.name.c_str(), id.displayName.c_str(), SERVICE_ALL_ACCESS,
                                       SERVICE_WIN32_OWN_PROCESS, id.startType, SERVICE_ERROR_NORMAL,
                                       command.c_str(), nullptr, nullptr, nullptr, nullptr, nullptr));
      if (!svc) error = GetLastError();
    } else {
      ServiceHandle svc(OpenServiceW(scm.get(), id.name.c_str(), SERVICE_ALL_ACCESS));
      if (!svc || !DeleteService(svc.get())) error = GetLastError();
    }
  }
  if (error != ERROR_SUCCESS) {
    const std::wstring text = L"Service \"" + id.displayName + L"\" failed to " +
                              (install ? L"install" : L"uninstall") + L" with error: \"" +
                              widen(systemMessage(error)) + L"\"";
    MessageBoxW(nullptr, text.c_str(), id.displayName.c_str(), MB_OK | MB_ICONERROR);
    return 1;
  }
  if (!silent) {
    MessageBoxW(nullptr, install ? L"Service installed successfully" : L"Service uninstalled successfully",
                id.displayName.c_str(), MB_OK | MB_ICONINFORMATION);
  }
  return 0;
}

// One service per process: the dispatcher's callbacks reach it through this pointer.
class RunningService final : public ServiceStatusReporter {
 public:
  RunningService(const ServiceIdentity& id, ServiceHandlers& handlers)
      : id_(id), handlers_(handlers), stop_(clock_.makeEvent()) {}

  void main() {
    handle_ = RegisterServiceCtrlHandlerExW(id_.name.c_str(), &RunningService::control, this);
    if (!handle_) return;
    startPending(3000);
    try {
      handlers_.onStart(*this);
    } catch (const std::exception& e) {
      recordInEventLog(id_.name, failureText("start", &e));
      report(SERVICE_STOPPED, ERROR_EXCEPTION_IN_SERVICE, 0);
      return;
    } catch (...) {
      recordInEventLog(id_.name, failureText("start", nullptr));
      report(SERVICE_STOPPED, ERROR_EXCEPTION_IN_SERVICE, 0);
      return;
    }
    report(SERVICE_RUNNING, NO_ERROR, 0);
    DWORD exitCode = NO_ERROR;
    try {
      handlers_.onExecute(*stop_, *this);
    } catch (const std::exception& e) {
      recordInEventLog(id_.name, failureText("execute", &e));
      exitCode = ERROR_EXCEPTION_IN_SERVICE;
    } catch (...) {
      recordInEventLog(id_.name, failureText("execute", nullptr));
      exitCode = ERROR_EXCEPTION_IN_SERVICE;
    }
    report(SERVICE_STOPPED, exitCode, 0);
  }

  void startPending(DWORD waitHintMs) override { report(SERVICE_START_PENDING, NO_ERROR, waitHintMs); }
  void stopPending(DWORD waitHintMs) override { report(SERVICE_STOP_PENDING, NO_ERROR, waitHintMs); }

 private:
  static DWORD WINAPI control(DWORD code, DWORD, LPVOID, LPVOID context) {
    auto* self = static_cast<RunningService*>(context);
    switch (code) {
      case SERVICE_CONTROL_STOP:
        if (!self->handlers_.acceptsStop()) return ERROR_CALL_NOT_IMPLEMENTED;
        self->stopPending(self->handlers_.stopWaitHint());
        try {
          self->handlers_.onStop();
        } catch (const std::exception& e) {
          recordInEventLog(self->id_.name, failureText("stop", &e));
        } catch (...) {
          recordInEventLog(self->id_.name, failureText("stop", nullptr));
        }
        self->stop_->set();
        return NO_ERROR;
      case SERVICE_CONTROL_SHUTDOWN:
        // The system is going down: the loop ends without the stop handler.
        self->stop_->set();
        return NO_ERROR;
      case SERVICE_CONTROL_PAUSE:
        self->report(SERVICE_PAUSED, NO_ERROR, 0);
        return NO_ERROR;
      case SERVICE_CONTROL_CONTINUE:
        self->report(SERVICE_RUNNING, NO_ERROR, 0);
        return NO_ERROR;
      case SERVICE_CONTROL_INTERROGATE:
        return NO_ERROR;
      default:
        return ERROR_CALL_NOT_IMPLEMENTED;
    }
  }

  void report(DWORD state, DWORD exitCode, DWORD waitHint) {
    std::lock_guard lock(mutex_);
    SERVICE_STATUS s{};
    s.dwServiceType = SERVICE_WIN32_OWN_PROCESS;
    s.dwCurrentState = state;
    s.dwWin32ExitCode = exitCode;
    s.dwWaitHint = waitHint;
    const bool pending = state == SERVICE_START_PENDING || state == SERVICE_STOP_PENDING;
    s.dwCheckPoint = pending ? ++checkPoint_ : 0;
    if (!pending) checkPoint_ = 0;
    if (state != SERVICE_START_PENDING && state != SERVICE_STOPPED) {
      s.dwControlsAccepted = SERVICE_ACCEPT_SHUTDOWN | SERVICE_ACCEPT_PAUSE_CONTINUE |
                             (handlers_.acceptsStop() ? SERVICE_ACCEPT_STOP : 0);
    }
    SetServiceStatus(handle_, &s);
  }

  ServiceIdentity id_;
  ServiceHandlers& handlers_;
  Win32Clock clock_;
  std::unique_ptr<ports::Event> stop_;
  SERVICE_STATUS_HANDLE handle_ = nullptr;
  std::mutex mutex_;
  DWORD checkPoint_ = 0;
};

RunningService* g_service = nullptr;

void WINAPI serviceMain(DWORD, LPWSTR*) { g_service->main(); }

}  // namespace

int RunServiceProgram(const ServiceIdentity& id, ServiceHandlers& handlers, int argc, wchar_t** argv) {
  std::vector<std::string> args;
  for (int i = 1; i < argc; ++i) args.push_back(narrow(argv[i]));
  const ServiceSwitches sw = ParseServiceSwitches(args);
  if (sw.action != ServiceAction::Run) return registration(id, sw.action == ServiceAction::Install, sw.silent);

  RunningService service(id, handlers);
  g_service = &service;
  std::wstring name = id.name;
  SERVICE_TABLE_ENTRYW table[] = {{name.data(), &serviceMain}, {nullptr, nullptr}};
  if (!StartServiceCtrlDispatcherW(table)) {
    const DWORD error = GetLastError();
    const std::string text = "Cannot connect to the service manager: " + systemMessage(error) + "\n";
    DWORD written = 0;
    WriteFile(GetStdHandle(STD_ERROR_HANDLE), text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    return 1;
  }
  return 0;
}

}  // namespace zorvak::win32
