// Statements handed from a thread that splits a page to one that merges them, a batch at a time.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <mutex>
#include <vector>

#include "base/workers.h"
#include "statements.h"

namespace aspclip::inline ASPCLIP_SCAN_NAMESPACE {

// The most bytes the processors the engine runs on move between their caches at once.
inline constexpr std::size_t kCacheLine = 64;

// The batch being filled is the splitting thread's alone, and lies in a cache line of its own:
// were it beside what the merging thread writes for each statement, the two cores would take the
// line from each other at every statement.
class alignas(kCacheLine) StatementQueue {
 public:
  // A batch this large costs far less to hand over than to split or merge, and the batches held
  // at once take little memory.
  static constexpr std::size_t kBatch = 4096, kMostBatches = 4;

  // The splitting thread's side. Add waits while the merging thread is kMostBatches behind.
  void Add(const Statement& statement) {
    filling_.push_back(statement);
    if (filling_.size() == kBatch) Send();
  }
  // No statement follows: what is left is handed on.
  void Close();
  // The split has failed: what is left is dropped, and Next ends.
  void CloseWithoutRest();

  // The merging thread's side: the next batch in place of `batch`, which is done with, or false
  // once all are taken and the queue closed.
  bool Next(std::vector<Statement>& batch);
  // Merging has failed: the statements still to come are dropped, and Add waits no longer.
  void Abandon();

 private:
  void Send();

  alignas(kCacheLine) std::vector<Statement> filling_;
  alignas(kCacheLine) std::mutex mutex_;
  std::condition_variable changed_;
  // How often the merging thread looks for a batch before it waits to be woken.
  static constexpr int kSpins = 1000;
  std::atomic<std::size_t> sent_ = 0;  // batches handed over, and the close
  std::size_t taken_ = 0;              // the merging thread's own
  std::deque<std::vector<Statement>> full_;
  std::vector<std::vector<Statement>> spare_;
  bool closed_ = false, abandoned_ = false;
};

}  // namespace aspclip::inline ASPCLIP_SCAN_NAMESPACE
