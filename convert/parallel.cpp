// Several workers convert a page's chunks at once. Each takes the next chunk not yet taken, and
// hands its code to the sink when every chunk before it has been handed on. A page that
// is one chunk is split on a thread of its own while this one merges it. Without threads, the
// page converts whole on this one.
#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

#include "chunks.h"
#include "pipeline.h"
#include "script_blocks.h"
#include "statement_queue.h"
#include "base/workers.h"

namespace aspclip::inline ASPCLIP_SCAN_NAMESPACE {
#if defined(ASPCLIP_THREADS)
namespace {

// Whose turn it is to hand code on, and the first failure, which ends every worker's turns.
class Turns {
 public:
  // Waits until every chunk before chunk `k` has been handed on; false once a worker failed.
  bool Await(std::size_t k) {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [&] { return next_ == k || failure_; });
    return !failure_;
  }
  void Pass() {
    {
      const std::lock_guard lock(mutex_);
      ++next_;
    }
    changed_.notify_all();
  }
  void Fail(std::exception_ptr failure) {
    {
      const std::lock_guard lock(mutex_);
      if (!failure_) failure_ = std::move(failure);
    }
    changed_.notify_all();
  }
  void RethrowFailure() const {
    if (failure_) std::rethrow_exception(failure_);
  }

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  std::size_t next_ = 0;
  std::exception_ptr failure_;
};

// Thrown in a worker whose turn will not come, because another failed.
struct TurnsEnded {};

// The end of a chunk's chain: its code waits in the chain's last piece, which holds a chunk's
// code whole but for the largest, until every chunk before it has been handed on; then it goes to
// the sink, with no copy made. A chunk whose turn has come goes on at once.
class InTurn final : public Stage {
 public:
  InTurn(Turns& turns, std::size_t chunk, CodeSink& sink)
      : turns_(turns), chunk_(chunk), toSink_(sink) {}
  std::size_t Take(std::string_view text, bool final) override {
    if (!due_ && !turns_.Await(chunk_)) throw TurnsEnded();
    due_ = true;
    return toSink_.Take(text, final);
  }

 private:
  Turns& turns_;
  std::size_t chunk_;
  SinkStage toSink_;
  bool due_ = false;
};

// The page split on a thread of its own, and merged on this one as the statements come; on this
// one alone where no thread can be started.
void ConvertSplittingApart(std::string_view page, Stage& out, std::size_t pieceBytes) {
  MergeChain chain(out, pieceBytes, pieceBytes);
  StatementQueue queue;
  std::exception_ptr splitFailure;
  std::thread splitter;
  try {
    splitter = std::thread([&] {
      try {
        SplitScriptBlocks(page, queue);
        queue.Close();
      } catch (...) {
        splitFailure = std::current_exception();
        queue.CloseWithoutRest();
      }
    });
  } catch (const std::system_error&) {
    SplitScriptBlocks(page, chain.merger());
    chain.Finish(true);
    return;
  }
  try {
    for (std::vector<Statement> batch; queue.Next(batch);) {
      for (const Statement& statement : batch)
        chain.merger().Add(statement);
    }
  } catch (...) {
    queue.Abandon();
    splitter.join();
    throw;
  }
  splitter.join();
  if (splitFailure) std::rethrow_exception(splitFailure);
  chain.Finish(true);
}

}  // namespace

void ConvertAspCodeInChunks(std::string_view page, CodeSink& sink, unsigned workers,
                            std::size_t chunkBytes, std::size_t pieceBytes) {
  const std::vector<std::size_t> bounds = ChunkBounds(page, chunkBytes);
  const std::size_t chunks = bounds.size() - 1;
  if (chunks == 1 && workers > 1 && page.size() > chunkBytes) {
    SinkStage toSink(sink);
    ConvertSplittingApart(page, toSink, pieceBytes);
    return;
  }
  Turns turns;
  std::atomic<std::size_t> taken = 0;
  const auto work = [&] {
    try {
      for (std::size_t k; (k = taken++) < chunks;) {
        const std::size_t bytes = std::min(bounds[k + 1] - bounds[k], chunkBytes);
        InTurn toSink(turns, k, sink);
        ConvertChunk(page, bounds[k], bounds[k + 1], toSink, pieceBytes,
                     std::max(pieceBytes, kChunkCodeBytesPerByte * bytes));
        turns.Pass();
      }
    } catch (const TurnsEnded&) {
    } catch (...) {
      turns.Fail(std::current_exception());
    }
  };
  RunOnWorkers(std::min<std::size_t>(workers, chunks), work);
  turns.RethrowFailure();
}
#else
void ConvertAspCodeInChunks(std::string_view page, CodeSink& sink, unsigned, std::size_t,
                            std::size_t pieceBytes) {
  ConvertAspCode(page, sink, pieceBytes);
}
#endif

}  // namespace aspclip::inline ASPCLIP_SCAN_NAMESPACE
