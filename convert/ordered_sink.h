// The code of a page's chunks handed to one sink in the chunks' order, from whichever worker made
// each: a chunk's code waits until every chunk before it has been handed on. The first failure
// ends every turn still to come; a chunk whose turn will not come drops its code, and its worker
// learns so from Ended() rather than from an exception.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <exception>
#include <mutex>
#include <string_view>

#include "base/workers.h"
#include "stage.h"

namespace aspclip::inline ASPCLIP_SCAN_NAMESPACE {

class OrderedSink {
 public:
  explicit OrderedSink(CodeSink& sink) : sink_(sink) {}

  // The end of chunk `chunk`'s chain, whose code it hands to the sink in turn.
  class Chunk final : public Stage {
   public:
    Chunk(OrderedSink& ordered, std::size_t chunk)
        : ordered_(ordered), chunk_(chunk), toSink_(ordered.sink_) {}
    std::size_t Take(std::string_view text, bool final) override;
    // Hands the turn to the next chunk once this one's has come: its code is all handed on.
    void Done();

   private:
    enum class Turn { kAwaited, kCome, kEnded };
    void AwaitTurn();

    OrderedSink& ordered_;
    std::size_t chunk_;
    SinkStage toSink_;
    Turn turn_ = Turn::kAwaited;
  };

  // Records a worker's failure, the first of which is the conversion's; every turn to come ends.
  void Fail(std::exception_ptr failure);
  // True once a failure has ended the turns.
  bool Ended();
  // Rethrows the first failure, if there was one.
  void RethrowFailure() const;

 private:
  // Waits until every chunk before `chunk` has been handed on; false once the turns have ended.
  bool AwaitTurn(std::size_t chunk);
  void Pass();

  CodeSink& sink_;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::size_t next_ = 0;
  std::exception_ptr failure_;
};

}  // namespace aspclip::inline ASPCLIP_SCAN_NAMESPACE
