#include "ordered_sink.h"

namespace aspclip::inline ASPCLIP_SCAN_NAMESPACE {

// A chunk's code waits in the chain's last piece, which holds a chunk's code whole but for the
// largest, until its turn: then it goes to the sink with no copy made. Once the turn has come the
// code goes on at once; where it never will, it is dropped.
std::size_t OrderedSink::Chunk::Take(std::string_view text, bool final) {
  AwaitTurn();
  return turn_ == Turn::kCome ? toSink_.Take(text, final) : text.size();
}

void OrderedSink::Chunk::Done() {
  AwaitTurn();
  ordered_.Pass();
}

void OrderedSink::Chunk::AwaitTurn() {
  if (turn_ == Turn::kAwaited) turn_ = ordered_.AwaitTurn(chunk_) ? Turn::kCome : Turn::kEnded;
}

bool OrderedSink::AwaitTurn(std::size_t chunk) {
  std::unique_lock lock(mutex_);
  changed_.wait(lock, [&] { return next_ == chunk || failure_; });
  return !failure_;
}

void OrderedSink::Pass() {
  {
    const std::lock_guard lock(mutex_);
    ++next_;
  }
  changed_.notify_all();
}

void OrderedSink::Fail(std::exception_ptr failure) {
  {
    const std::lock_guard lock(mutex_);
    if (!failure_) failure_ = std::move(failure);
  }
  changed_.notify_all();
}

bool OrderedSink::Ended() {
  const std::lock_guard lock(mutex_);
  return failure_ != nullptr;
}

void OrderedSink::RethrowFailure() const {
  if (failure_) std::rethrow_exception(failure_);
}

}  // namespace aspclip::inline ASPCLIP_SCAN_NAMESPACE
