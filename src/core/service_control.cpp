#include "core/service_control.h"

#include <algorithm>

namespace zorvak {

using namespace ports::svc;

namespace {

// A stop wait hint of 0 asks for no pause at all; polling with none would spin on the service
// manager for the whole limit, so such polls still pause this long.
constexpr std::int64_t kMinStopPollMs = 100;

}  // namespace

std::int64_t startPollPauseMs(std::uint32_t waitHintMs) {
  return std::clamp<std::int64_t>(waitHintMs / 10, 1000, 10000);
}

void ServiceControl::queryForStart(ports::ScHandle service, ports::ServiceStatus& status) {
  const std::uint32_t err = manager_.QueryServiceStatus(service, status);
  if (err == oserr::kServiceNotActive) {
    status.currentState = kStopped;
  } else if (err != oserr::kSuccess) {
    raiseOsError(manager_, err);
  }
}

void ServiceControl::waitWhile(std::uint32_t pending, ports::ScHandle service,
                               ports::ServiceStatus& status) {
  const std::int64_t begin = clock_.monotonicMs();
  while (status.currentState == pending) {
    const std::int64_t waited = clock_.monotonicMs() - begin;
    if (waited >= pendingLimitMs_) raiseOsError(manager_, oserr::kServiceRequestTimeout);
    clock_.sleepMs(std::min(startPollPauseMs(status.waitHint), pendingLimitMs_ - waited));
    const std::uint32_t err = manager_.QueryServiceStatus(service, status);
    if (err == oserr::kServiceNotActive) {
      status.currentState = kStopped;
      return;
    }
    if (err != oserr::kSuccess) raiseOsError(manager_, err);
  }
}

bool ServiceControl::WinServiceStart(std::string_view sMachine, std::string_view sService) {
  ports::ServiceHandle scm(manager_);
  if (auto err = manager_.OpenSCManagerW(sMachine, kManagerConnect, scm.out())) {
    raiseOsError(manager_, err);
  }
  ports::ServiceHandle service(manager_);  // closed before the manager
  if (auto err = manager_.OpenServiceW(scm.get(), sService, kStart | kQueryStatus, service.out())) {
    raiseOsError(manager_, err);
  }

  ports::ServiceStatus status;
  queryForStart(service.get(), status);
  if (status.currentState != kStopped && status.currentState != kStopPending) return true;

  waitWhile(kStopPending, service.get(), status);

  if (auto err = manager_.StartServiceW(service.get())) raiseOsError(manager_, err);
  queryForStart(service.get(), status);
  waitWhile(kStartPending, service.get(), status);
  return status.currentState == kRunning;
}

bool ServiceControl::WinServiceStop(std::string_view aMachineName, std::string_view aServiceName) {
  ports::ServiceStatus status;
  ports::ServiceHandle scm(manager_);
  if (manager_.OpenSCManagerW(aMachineName, kManagerConnect, scm.out()) != oserr::kSuccess) {
    return false;
  }
  ports::ServiceHandle service(manager_);
  if (manager_.OpenServiceW(scm.get(), aServiceName, kStop | kQueryStatus, service.out()) !=
      oserr::kSuccess) {
    return false;
  }
  // Each query reads into `next`, so a failed one leaves the last status read standing.
  ports::ServiceStatus next;
  if (manager_.ControlService(service.get(), kControlStop, status) != oserr::kSuccess ||
      manager_.QueryServiceStatus(service.get(), next) != oserr::kSuccess) {
    return status.currentState == kStopped;
  }
  status = next;

  // The wait hint is taken as reported (no tenth, no clamp), and a check point that goes back
  // ends the wait.
  const std::int64_t begin = clock_.monotonicMs();
  while (status.currentState != kStopped) {
    const std::int64_t waited = clock_.monotonicMs() - begin;
    if (waited >= pendingLimitMs_) break;
    const std::uint32_t checkPoint = status.checkPoint;
    clock_.sleepMs(std::min<std::int64_t>(std::max<std::int64_t>(status.waitHint, kMinStopPollMs),
                                          pendingLimitMs_ - waited));
    if (manager_.QueryServiceStatus(service.get(), next) != oserr::kSuccess) break;
    status = next;
    if (status.checkPoint < checkPoint) break;
  }
  return status.currentState == kStopped;
}

std::uint32_t ServiceControl::ServiceGetStatus(std::string_view sMachine,
                                               std::string_view sService) {
  ports::ServiceHandle scm(manager_);
  if (manager_.OpenSCManagerW(sMachine, kManagerConnect, scm.out()) != oserr::kSuccess) return 0;
  ports::ServiceHandle service(manager_);
  if (manager_.OpenServiceW(scm.get(), sService, kQueryStatus, service.out()) != oserr::kSuccess) {
    return 0;
  }
  ports::ServiceStatus status;
  if (manager_.QueryServiceStatus(service.get(), status) != oserr::kSuccess) return 0;
  return status.currentState;
}

}  // namespace zorvak
