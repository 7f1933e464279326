// The engine's one entry: a page source in, Visual Basic that builds its output in OutputString
// out; and the chain of stages that it runs, which tests and benchmarks run in part.
#pragma once

#include <algorithm>
#include <cstddef>
#include <string_view>

#include "literal_skipping_rewrite.h"
#include "stage.h"
#include "write_merge.h"

namespace aspclip::inline ASPCLIP_SCAN_NAMESPACE {

// The stages in the order the text flows through them.
enum class StageName { kScriptBlocks, kWriteMerge, kRewrite };

// The smallest piece a chain may hand on: more than any of its stages leaves untaken.
inline constexpr std::size_t kSmallestPieceBytes =
    std::max(LiteralSkippingRewriter::kLookAhead, SinkStage::kLookAhead) + 1;
static_assert(kDefaultPieceBytes >= kSmallestPieceBytes,
              "a piece must hold more than a stage leaves behind");

// Runs the stages from `first` to `last` on `input` (the page for the script blocks, statement
// lines for the write merging, code for the rewrite), handing what `last` writes to `out` in pieces
// of `pieceBytes`, which must be kSmallestPieceBytes at least.
void RunStages(std::string_view input, StageName first, StageName last, Stage& out,
               std::size_t pieceBytes);

// Converts the page, valid UTF-8 (or WTF-8) with CR LF line breaks, and hands the code to `sink` a
// piece at a time. Every page converts; there is no failure.
void ConvertAspCode(std::string_view page, CodeSink& sink,
                    std::size_t pieceBytes = kDefaultPieceBytes);

// The stages behind the split, writing into `out`: the merging and the rewrites, and the pieces
// between them.
class MergeChain {
 public:
  // The code goes to `out` in pieces of `codePieceBytes`, and between the stages in pieces of
  // `pieceBytes`.
  MergeChain(Stage& out, std::size_t pieceBytes, std::size_t codePieceBytes)
      : code_(out, codePieceBytes),
        rewriter_(code_),
        merged_(rewriter_, pieceBytes),
        merger_(merged_) {}
  WriteMerger& merger() { return merger_; }
  // What follows the chain's text: the page's end, or a cut, behind which the next chunk goes on.
  enum class Behind { kPageEnd, kCut };
  // Hands on the rest of the code.
  void Finish(Behind behind);

 private:
  PieceWriter code_;
  LiteralSkippingRewriter rewriter_;
  PieceWriter merged_;
  WriteMerger merger_;
};

// Converts the chunk of the page between two of its ChunkBounds, handing its code to `out` in
// pieces of `codePieceBytes`.
void ConvertChunk(std::string_view page, std::size_t from, std::size_t to, Stage& out,
                  std::size_t pieceBytes, std::size_t codePieceBytes);

}  // namespace aspclip::inline ASPCLIP_SCAN_NAMESPACE
