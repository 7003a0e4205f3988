#include "core/background_md5.h"

namespace zorvak {

BackgroundMd5::BackgroundMd5(std::unique_ptr<ports::Md5Hasher> hasher, std::size_t windowBytes)
    : hasher_(std::move(hasher)), window_(windowBytes), worker_([this] { run(); }) {}

BackgroundMd5::~BackgroundMd5() {
  {
    std::lock_guard lock(mutex_);
    closed_ = true;
  }
  changed_.notify_all();
  if (worker_.joinable()) worker_.join();
}

void BackgroundMd5::update(std::string_view data) {
  // Pieces of at most a quarter window, so one large piece cannot hold the window alone.
  const std::size_t most = window_ / 4 ? window_ / 4 : 1;
  while (!data.empty()) {
    const std::string_view piece = data.substr(0, most);
    data.remove_prefix(piece.size());
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [&] { return queued_ + piece.size() <= window_ || queued_ == 0 || failed_; });
    if (failed_) return;
    pieces_.emplace_back(piece);
    queued_ += piece.size();
    lock.unlock();
    changed_.notify_all();
  }
}

ports::Md5Digest BackgroundMd5::finish() {
  {
    std::unique_lock lock(mutex_);
    closed_ = true;
    changed_.notify_all();
  }
  worker_.join();
  if (failed_) throw ports::CryptoError("MD5 falhou");
  return hasher_->finish();
}

void BackgroundMd5::run() {
  for (;;) {
    std::string piece;
    {
      std::unique_lock lock(mutex_);
      changed_.wait(lock, [&] { return !pieces_.empty() || closed_; });
      if (pieces_.empty()) return;
      piece = std::move(pieces_.front());
      pieces_.pop_front();
    }
    try {
      hasher_->update(piece);
    } catch (...) {
      std::lock_guard lock(mutex_);
      failed_ = true;
    }
    {
      std::lock_guard lock(mutex_);
      queued_ -= piece.size();
    }
    changed_.notify_all();
  }
}

}  // namespace zorvak
