// A clock whose time moves only when the code under test pauses or waits, so a timeline of
// minutes runs in microseconds and every pause is recorded.
#pragma once

#include <functional>
#include <map>
#include <vector>

#include "ports/clock.h"

namespace zorvak::test {

class VirtualClock final : public ports::Clock {
 public:
  explicit VirtualClock(CivilTime start = {2026, 12, 9, 15, 45, 0, 0});

  DateTime now() override { return DateTime{now_.ms}; }
  DateTime utcNow() override { return DateTime{now_.ms}; }  // the virtual zone is UTC
  std::int64_t monotonicMs() override { return elapsed_; }
  void sleepMs(std::int64_t ms) override;
  std::unique_ptr<ports::Event> makeEvent() override;

  void advance(std::int64_t ms);
  void set(CivilTime t);
  // Runs `action` once when the virtual time reaches `atMs` (monotonic), in the middle of a
  // pause or wait that crosses it.
  void at(std::int64_t atMs, std::function<void()> action);

  const std::vector<std::int64_t>& pauses() const { return pauses_; }
  void clearPauses() { pauses_.clear(); }

 private:
  friend class VirtualEvent;
  // Moves time forward by up to `ms`, running due actions; stops early when `until` holds.
  void run(std::int64_t ms, const std::function<bool()>& until);

  DateTime now_;
  std::int64_t elapsed_ = 0;
  std::multimap<std::int64_t, std::function<void()>> actions_;
  std::vector<std::int64_t> pauses_;
};

}  // namespace zorvak::test
