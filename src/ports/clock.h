// Time as a port: wall-clock time, a monotonic counter, pauses, and an event to wait on.
// Every pause of the programs goes through here, so tests run whole timelines on a virtual clock.
#pragma once

#include <chrono>
#include <cstdint>
#include <memory>

#include "core/datetime.h"

namespace zorvak::ports {

// A manual-reset event: set() wakes every waiter and stays set.
class Event {
 public:
  virtual ~Event() = default;
  virtual void set() = 0;
  virtual bool isSet() const = 0;
  // Waits at most `ms`; true when the event is set.
  virtual bool wait(std::int64_t ms) = 0;
};

class Clock {
 public:
  virtual ~Clock() = default;
  virtual DateTime now() = 0;  // local wall-clock time
  // Coordinated universal time, for request signatures. The standard clock is already UTC on
  // every platform, so adapters need not override this; the virtual clock does.
  virtual DateTime utcNow() {
    using namespace std::chrono;
    return DateTime{duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count()};
  }
  virtual std::int64_t monotonicMs() = 0;
  virtual void sleepMs(std::int64_t ms) = 0;
  virtual std::unique_ptr<Event> makeEvent() = 0;
};

}  // namespace zorvak::ports
