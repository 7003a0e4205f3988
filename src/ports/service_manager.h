// The service manager primitives the service operations are built on, one for one with the
// Windows calls. Each returns the system error code of the call (0 on success), the code
// GetLastError would give; machine and service names are UTF-8.
#pragma once

#include <cstdint>
#include <string_view>
#include <utility>

#include "core/os_error.h"

namespace zorvak::ports {

// Current states, as the service manager reports them.
namespace svc {
inline constexpr std::uint32_t kStopped = 1;
inline constexpr std::uint32_t kStartPending = 2;
inline constexpr std::uint32_t kStopPending = 3;
inline constexpr std::uint32_t kRunning = 4;
inline constexpr std::uint32_t kContinuePending = 5;
inline constexpr std::uint32_t kPausePending = 6;
inline constexpr std::uint32_t kPaused = 7;

// Access rights.
inline constexpr std::uint32_t kManagerConnect = 0x0001;
inline constexpr std::uint32_t kQueryStatus = 0x0004;
inline constexpr std::uint32_t kStart = 0x0010;
inline constexpr std::uint32_t kStop = 0x0020;

inline constexpr std::uint32_t kControlStop = 1;
}  // namespace svc

struct ServiceStatus {
  std::uint32_t currentState = 0;  // 0: nothing read
  std::uint32_t checkPoint = 0;
  std::uint32_t waitHint = 0;  // ms
};

// An open manager or service handle; 0 is none.
using ScHandle = std::uintptr_t;

class ServiceManager : public SystemMessages {
 public:
  virtual std::uint32_t OpenSCManagerW(std::string_view machine, std::uint32_t access,
                                       ScHandle& manager) = 0;
  virtual std::uint32_t OpenServiceW(ScHandle manager, std::string_view service,
                                     std::uint32_t access, ScHandle& handle) = 0;
  virtual std::uint32_t QueryServiceStatus(ScHandle service, ServiceStatus& status) = 0;
  virtual std::uint32_t StartServiceW(ScHandle service) = 0;
  // Fills `status` also when the control fails because the service is not active (the state
  // then reads stopped); left as zeros where the system fills nothing in.
  virtual std::uint32_t ControlService(ScHandle service, std::uint32_t control,
                                       ServiceStatus& status) = 0;
  virtual void CloseServiceHandle(ScHandle handle) = 0;
};

// Owns one handle of a ServiceManager and closes it when it goes out of scope.
class ServiceHandle {
 public:
  explicit ServiceHandle(ServiceManager& manager) : manager_(manager) {}
  ServiceHandle(const ServiceHandle&) = delete;
  ServiceHandle& operator=(const ServiceHandle&) = delete;
  ~ServiceHandle() {
    if (handle_ != 0) manager_.CloseServiceHandle(handle_);
  }

  ScHandle get() const { return handle_; }
  // For the primitive that opens it.
  ScHandle& out() { return handle_; }

 private:
  ServiceManager& manager_;
  ScHandle handle_ = 0;
};

}  // namespace zorvak::ports
