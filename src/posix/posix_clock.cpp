#include <time.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "posix/posix_platform.h"

namespace zorvak::posix {
namespace {

class CondEvent final : public ports::Event {
 public:
  void set() override {
    std::lock_guard lock(mutex_);
    set_ = true;
    cv_.notify_all();
  }
  bool isSet() const override {
    std::lock_guard lock(mutex_);
    return set_;
  }
  bool wait(std::int64_t ms) override {
    std::unique_lock lock(mutex_);
    return cv_.wait_for(lock, std::chrono::milliseconds(ms < 0 ? 0 : ms), [&] { return set_; });
  }

 private:
  mutable std::mutex mutex_;
  std::condition_variable cv_;
  bool set_ = false;
};

}  // namespace

DateTime PosixClock::now() {
  timespec ts{};
  clock_gettime(CLOCK_REALTIME, &ts);
  tm local{};
  localtime_r(&ts.tv_sec, &local);
  CivilTime c{local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour,
              local.tm_min,         local.tm_sec > 59 ? 59 : local.tm_sec,
              static_cast<int>(ts.tv_nsec / 1000000)};
  return toDateTime(c);
}

std::int64_t PosixClock::monotonicMs() {
  using namespace std::chrono;
  return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

void PosixClock::sleepMs(std::int64_t ms) {
  if (ms > 0) std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

std::unique_ptr<ports::Event> PosixClock::makeEvent() { return std::make_unique<CondEvent>(); }

}  // namespace zorvak::posix
