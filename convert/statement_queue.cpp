#include "statement_queue.h"

#include <thread>
#include <utility>

namespace aspclip::inline ASPCLIP_SCAN_NAMESPACE {

void StatementQueue::Send() {
  {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [&] { return full_.size() < kMostBatches || abandoned_; });
    if (!abandoned_) {
      full_.push_back(std::move(filling_));
      sent_.fetch_add(1, std::memory_order_release);
    }
    filling_.clear();
    // A batch the merging thread is done with is filled again: its memory has been touched.
    if (!spare_.empty()) {
      filling_ = std::move(spare_.back());
      spare_.pop_back();
    }
  }
  changed_.notify_all();
}

void StatementQueue::Close() {
  if (!filling_.empty()) Send();
  CloseWithoutRest();
}

void StatementQueue::CloseWithoutRest() {
  {
    const std::lock_guard lock(mutex_);
    closed_ = true;
    sent_.fetch_add(1, std::memory_order_release);  // no batch, but Next has something to learn
  }
  changed_.notify_all();
}

bool StatementQueue::Next(std::vector<Statement>& batch) {
  batch.clear();
  // Most batches come soon: waiting for one in a loop costs less than being woken, which in a
  // virtual machine can take as long as merging a batch.
  for (int spin = 0; spin < kSpins && sent_.load(std::memory_order_acquire) == taken_; ++spin)
    std::this_thread::yield();
  {
    std::unique_lock lock(mutex_);
    if (batch.capacity() > 0) spare_.push_back(std::move(batch));
    changed_.wait(lock, [&] { return !full_.empty() || closed_; });
    if (full_.empty()) return false;
    batch = std::move(full_.front());
    full_.pop_front();
    ++taken_;
  }
  changed_.notify_all();
  return true;
}

void StatementQueue::Abandon() {
  {
    const std::lock_guard lock(mutex_);
    abandoned_ = true;
  }
  changed_.notify_all();
}

}  // namespace aspclip::inline ASPCLIP_SCAN_NAMESPACE
