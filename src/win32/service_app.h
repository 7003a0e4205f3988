// The Windows service framework: registration with the switches, the dispatcher, the status
// reports, the control handler, and the event-log record of a failed handler.
#pragma once

#include <windows.h>

#include <string>

#include "ports/clock.h"

namespace zorvak::win32 {

struct ServiceIdentity {
  std::wstring name;
  std::wstring displayName;
  DWORD startType = SERVICE_AUTO_START;
};

// Lets a handler tell the service manager it is still making progress.
class ServiceStatusReporter {
 public:
  virtual ~ServiceStatusReporter() = default;
  virtual void startPending(DWORD waitHintMs) = 0;
  virtual void stopPending(DWORD waitHintMs) = 0;
};

class ServiceHandlers {
 public:
  virtual ~ServiceHandlers() = default;
  // Service thread. An exception is recorded as "Service failed on start: %s" and the
  // service stops without running.
  virtual void onStart(ServiceStatusReporter& status) = 0;
  // Service thread, after a successful start; returns when it has finished after `stop`.
  virtual void onExecute(ports::Event& stop, ServiceStatusReporter& status) = 0;
  // Control thread, when a stop is requested; `stop` is set right after it returns.
  virtual void onStop() = 0;
  virtual bool acceptsStop() { return true; }
  // What the service manager is told while a stop runs to its end.
  virtual DWORD stopWaitHint() { return 30000; }
};

// Installs, uninstalls or runs the service, as the command line says; returns the exit code.
int RunServiceProgram(const ServiceIdentity& id, ServiceHandlers& handlers, int argc, wchar_t** argv);

}  // namespace zorvak::win32
