// An MD5 that runs beside the download: the transfer hands each piece over (one copy into a
// bounded window) and a worker thread hashes it, so checking a large object costs no time on
// top of a fast transfer and at most the window in memory.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "ports/crypto.h"

namespace zorvak {

class BackgroundMd5 final : public ports::Md5Hasher {
 public:
  explicit BackgroundMd5(std::unique_ptr<ports::Md5Hasher> hasher, std::size_t windowBytes = 1u << 20);
  ~BackgroundMd5() override;
  BackgroundMd5(const BackgroundMd5&) = delete;
  BackgroundMd5& operator=(const BackgroundMd5&) = delete;

  // Waits while the window is full.
  void update(std::string_view data) override;
  ports::Md5Digest finish() override;

 private:
  void run();

  std::unique_ptr<ports::Md5Hasher> hasher_;
  const std::size_t window_;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<std::string> pieces_;
  std::size_t queued_ = 0;
  bool closed_ = false;
  bool failed_ = false;
  std::thread worker_;
};

}  // namespace zorvak
