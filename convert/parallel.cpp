// Several workers convert a page's chunks at once. Each takes the next chunk not yet taken, and
// hands its code to the sink when every chunk before it has been handed on. A page that
// is one chunk is split on a thread of its own while this one merges it. Without threads,
// parallel_single.cpp stands in.
#include "parallel.h"

#include <algorithm>
#include <atomic>
#include <exception>
#include <system_error>
#include <thread>
#include <vector>

#include "base/workers.h"
#include "chunks.h"
#include "ordered_sink.h"
#include "pipeline.h"
#include "script_blocks.h"
#include "statement_queue.h"

namespace aspclip::inline ASPCLIP_SCAN_NAMESPACE {
namespace {

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
    chain.Finish(MergeChain::Behind::kPageEnd);
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
  chain.Finish(MergeChain::Behind::kPageEnd);
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
  OrderedSink ordered(sink);
  std::atomic<std::size_t> taken = 0;
  const auto work = [&] {
    try {
      for (std::size_t k; !ordered.Ended() && (k = taken++) < chunks;) {
        const std::size_t bytes = std::min(bounds[k + 1] - bounds[k], chunkBytes);
        OrderedSink::Chunk toSink(ordered, k);
        ConvertChunk(page, bounds[k], bounds[k + 1], toSink, pieceBytes,
                     std::max(pieceBytes, kChunkCodeBytesPerByte * bytes));
        toSink.Done();
      }
    } catch (...) {
      ordered.Fail(std::current_exception());
    }
  };
  RunOnWorkers(std::min<std::size_t>(workers, chunks), work);
  ordered.RethrowFailure();
}

}  // namespace aspclip::inline ASPCLIP_SCAN_NAMESPACE
