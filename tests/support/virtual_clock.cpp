#include "support/virtual_clock.h"

namespace zorvak::test {

class VirtualEvent final : public ports::Event {
 public:
  explicit VirtualEvent(VirtualClock& clock) : clock_(clock) {}
  void set() override { set_ = true; }
  bool isSet() const override { return set_; }
  bool wait(std::int64_t ms) override {
    clock_.pauses_.push_back(ms);
    clock_.run(ms, [&] { return set_; });
    return set_;
  }

 private:
  VirtualClock& clock_;
  bool set_ = false;
};

VirtualClock::VirtualClock(CivilTime start) : now_(toDateTime(start)) {}

void VirtualClock::sleepMs(std::int64_t ms) {
  pauses_.push_back(ms);
  run(ms, [] { return false; });
}

std::unique_ptr<ports::Event> VirtualClock::makeEvent() { return std::make_unique<VirtualEvent>(*this); }

void VirtualClock::advance(std::int64_t ms) { run(ms, [] { return false; }); }

void VirtualClock::set(CivilTime t) { now_ = toDateTime(t); }

void VirtualClock::at(std::int64_t atMs, std::function<void()> action) {
  actions_.emplace(atMs, std::move(action));
}

void VirtualClock::run(std::int64_t ms, const std::function<bool()>& until) {
  if (ms < 0) ms = 0;
  const std::int64_t end = elapsed_ + ms;
  while (!actions_.empty() && actions_.begin()->first <= end) {
    auto it = actions_.begin();
    const std::int64_t due = it->first > elapsed_ ? it->first : elapsed_;
    now_.ms += due - elapsed_;
    elapsed_ = due;
    auto action = std::move(it->second);
    actions_.erase(it);
    action();
    if (until()) return;
  }
  // An action may itself have slept past `end`: time never goes back.
  if (end > elapsed_) {
    now_.ms += end - elapsed_;
    elapsed_ = end;
  }
}

}  // namespace zorvak::test
