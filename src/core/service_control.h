// Starting, stopping and reading the state of a Windows service, over the service manager
// primitives. Every operation blocks its caller while it polls; the polls pause on the clock.
#pragma once

#include <cstdint>
#include <string_view>

#include "ports/clock.h"
#include "ports/service_manager.h"

namespace zorvak {

// How long one pending state may last before the operation gives up. A service that hangs in
// START_PENDING or STOP_PENDING would otherwise hold the agent's cycle or the wizard's window
// for ever; two minutes is well past what a healthy engine needs (a few seconds).
inline constexpr std::int64_t kServicePendingLimitMs = 120000;

// Pause between polls of a starting or stopping service, from its wait hint: a tenth of the
// hint, at least 1000 ms and at most 10000 ms.
std::int64_t startPollPauseMs(std::uint32_t waitHintMs);

class ServiceControl {
 public:
  ServiceControl(ports::ServiceManager& manager, ports::Clock& clock,
                 std::int64_t pendingLimitMs = kServicePendingLimitMs)
      : manager_(manager), clock_(clock), pendingLimitMs_(pendingLimitMs) {}

  // True when the service is running at the end, or was found in a state other than stopped or
  // stop-pending (then nothing is started). Raises OsError when the manager or the service
  // cannot be opened, a query or the start fails, or a pending state outlasts the limit
  // (code 1053).
  bool WinServiceStart(std::string_view sMachine, std::string_view sService);
  // True when the last status read shows the service stopped. Never raises.
  bool WinServiceStop(std::string_view aMachineName, std::string_view aServiceName);
  // The current state (1 to 7), or 0 when it cannot be read. Never raises.
  std::uint32_t ServiceGetStatus(std::string_view sMachine, std::string_view sService);
  bool ServiceRunning(std::string_view sMachine, std::string_view sService) {
    return ServiceGetStatus(sMachine, sService) == ports::svc::kRunning;
  }

 private:
  // Queries into `status`; a service that is not active reads as stopped. Raises on any other
  // failure.
  void queryForStart(ports::ScHandle service, ports::ServiceStatus& status);
  // Polls while the state is `pending`; raises the time-out once the limit has passed.
  void waitWhile(std::uint32_t pending, ports::ScHandle service, ports::ServiceStatus& status);

  ports::ServiceManager& manager_;
  ports::Clock& clock_;
  std::int64_t pendingLimitMs_;
};

}  // namespace zorvak
