// Owners for Win32 handles, so that "closed on every path" is a property of the type.
#pragma once

#include <windows.h>

#include <utility>

namespace zorvak::win32 {

template <typename H, typename Traits>
class UniqueHandle {
 public:
  UniqueHandle() = default;
  explicit UniqueHandle(H h) : h_(h) {}
  ~UniqueHandle() { reset(); }
  UniqueHandle(UniqueHandle&& o) noexcept : h_(std::exchange(o.h_, Traits::invalid())) {}
  UniqueHandle& operator=(UniqueHandle&& o) noexcept {
    if (this != &o) {
      reset();
      h_ = std::exchange(o.h_, Traits::invalid());
    }
    return *this;
  }
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;

  H get() const { return h_; }
  explicit operator bool() const { return h_ != Traits::invalid(); }
  void reset(H h = Traits::invalid()) {
    if (h_ != Traits::invalid()) Traits::close(h_);
    h_ = h;
  }

 private:
  H h_ = Traits::invalid();
};

struct KernelHandleTraits {
  static HANDLE invalid() { return nullptr; }
  static void close(HANDLE h) { CloseHandle(h); }
};
// CreateFileW reports failure with INVALID_HANDLE_VALUE rather than null.
struct FileHandleTraits {
  static HANDLE invalid() { return INVALID_HANDLE_VALUE; }
  static void close(HANDLE h) { CloseHandle(h); }
};
struct ServiceHandleTraits {
  static SC_HANDLE invalid() { return nullptr; }
  static void close(SC_HANDLE h) { CloseServiceHandle(h); }
};

using KernelHandle = UniqueHandle<HANDLE, KernelHandleTraits>;
using FileHandle = UniqueHandle<HANDLE, FileHandleTraits>;
using ServiceHandle = UniqueHandle<SC_HANDLE, ServiceHandleTraits>;

}  // namespace zorvak::win32
