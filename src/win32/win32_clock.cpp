#include <windows.h>

#include "win32/handles.h"
#include "win32/win32_platform.h"

namespace zorvak::win32 {
namespace {

class Win32Event final : public ports::Event {
 public:
  Win32Event() : h_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}
  void set() override { SetEvent(h_.get()); }
  bool isSet() const override { return WaitForSingleObject(h_.get(), 0) == WAIT_OBJECT_0; }
  bool wait(std::int64_t ms) override {
    // WaitForSingleObject takes a DWORD; INFINITE (0xFFFFFFFF) must never be passed by accident.
    std::int64_t left = ms < 0 ? 0 : ms;
    do {
      const DWORD chunk = static_cast<DWORD>(left > 0x7FFFFFFF ? 0x7FFFFFFF : left);
      if (WaitForSingleObject(h_.get(), chunk) == WAIT_OBJECT_0) return true;
      left -= chunk;
    } while (left > 0);
    return false;
  }

 private:
  KernelHandle h_;
};

}  // namespace

DateTime Win32Clock::now() {
  SYSTEMTIME st{};
  GetLocalTime(&st);
  return toDateTime({st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond, st.wMilliseconds});
}

std::int64_t Win32Clock::monotonicMs() { return static_cast<std::int64_t>(GetTickCount64()); }

void Win32Clock::sleepMs(std::int64_t ms) {
  while (ms > 0) {
    const DWORD chunk = static_cast<DWORD>(ms > 0x7FFFFFFF ? 0x7FFFFFFF : ms);
    Sleep(chunk);
    ms -= chunk;
  }
}

std::unique_ptr<ports::Event> Win32Clock::makeEvent() { return std::make_unique<Win32Event>(); }

}  // namespace zorvak::win32
