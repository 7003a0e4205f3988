// A service manager for native tests: services whose status the test sets directly or at given
// moments of a VirtualClock (clock.at), answering the primitives as the Windows service manager
// does. Every call is recorded, and every handle must be closed exactly once.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "ports/service_manager.h"

namespace zorvak::test {

struct ScriptedService {
  ports::ServiceStatus status{ports::svc::kStopped, 0, 0};
  std::uint32_t queryError = 0;  // while set, every status query fails with it
  std::uint32_t startError = 0;  // while set, the start request fails with it
  bool acceptsStop = true;       // in the running state
  // What a successful start request does to the service; by default it is running at once.
  std::function<void(ScriptedService&)> onStart = [](ScriptedService& s) {
    s.status = {ports::svc::kRunning, 0, 0};
  };
  // What an accepted stop request does; by default it is stopped at once.
  std::function<void(ScriptedService&)> onStop = [](ScriptedService& s) {
    s.status = {ports::svc::kStopped, 0, 0};
  };
};

class ScriptedServiceManager final : public ports::ServiceManager {
 public:
  std::map<std::string, ScriptedService> services;
  std::uint32_t openManagerError = 0;
  std::vector<std::string> calls;

  ~ScriptedServiceManager() override {
    for (const auto& [h, name] : open_) ADD_FAILURE() << "handle left open: " << name;
  }
  bool allClosed() const { return open_.empty(); }
  int count(const std::string& call) const {
    int n = 0;
    for (const auto& c : calls) n += c == call;
    return n;
  }

  std::uint32_t OpenSCManagerW(std::string_view machine, std::uint32_t access,
                               ports::ScHandle& manager) override {
    calls.push_back("OpenSCManagerW(" + std::string(machine) + "," + hex(access) + ")");
    if (openManagerError) return openManagerError;
    manager = add("manager");
    return 0;
  }
  std::uint32_t OpenServiceW(ports::ScHandle manager, std::string_view service,
                             std::uint32_t access, ports::ScHandle& handle) override {
    calls.push_back("OpenServiceW(" + std::string(service) + "," + hex(access) + ")");
    EXPECT_EQ(open_.count(manager), 1u);
    if (!services.count(std::string(service))) return oserr::kServiceDoesNotExist;
    handle = add(std::string(service));
    return 0;
  }
  std::uint32_t QueryServiceStatus(ports::ScHandle service, ports::ServiceStatus& status) override {
    calls.push_back("QueryServiceStatus");
    ScriptedService& s = of(service);
    if (s.queryError) return s.queryError;
    status = s.status;
    return 0;
  }
  std::uint32_t StartServiceW(ports::ScHandle service) override {
    calls.push_back("StartServiceW");
    ScriptedService& s = of(service);
    if (s.startError) return s.startError;
    if (s.status.currentState != ports::svc::kStopped) return oserr::kServiceAlreadyRunning;
    s.onStart(s);
    return 0;
  }
  std::uint32_t ControlService(ports::ScHandle service, std::uint32_t control,
                               ports::ServiceStatus& status) override {
    calls.push_back("ControlService(" + std::to_string(control) + ")");
    ScriptedService& s = of(service);
    switch (s.status.currentState) {
      case ports::svc::kStopped:
        status = s.status;
        return oserr::kServiceNotActive;
      case ports::svc::kStartPending:
      case ports::svc::kStopPending:
        status = s.status;
        return oserr::kServiceCannotAcceptCtrl;
      default:
        if (!s.acceptsStop) return 1052;  // ERROR_INVALID_SERVICE_CONTROL, nothing filled in
        s.onStop(s);
        status = s.status;
        return 0;
    }
  }
  void CloseServiceHandle(ports::ScHandle handle) override {
    auto it = open_.find(handle);
    if (it == open_.end()) {
      ADD_FAILURE() << "closing a handle that is not open";
      return;
    }
    calls.push_back("CloseServiceHandle(" + it->second + ")");
    open_.erase(it);
  }
  std::string SysErrorMessage(std::uint32_t code) override {
    switch (code) {
      case oserr::kServiceRequestTimeout:
        return "The service did not respond to the start or control request in a timely "
               "fashion.\r\n";
      case oserr::kServiceDoesNotExist:
        return "The specified service does not exist as an installed service.\r\n";
      default: return "Scripted error.\r\n";
    }
  }

 private:
  static std::string hex(std::uint32_t v) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "0x%x", v);
    return buf;
  }
  ports::ScHandle add(std::string name) {
    open_[++last_] = std::move(name);
    return last_;
  }
  ScriptedService& of(ports::ScHandle handle) {
    auto it = open_.find(handle);
    if (it == open_.end() || !services.count(it->second)) {
      ADD_FAILURE() << "call on a handle that is not an open service";
      return services["?"];
    }
    return services[it->second];
  }

  std::map<ports::ScHandle, std::string> open_;
  ports::ScHandle last_ = 0;
};

}  // namespace zorvak::test
