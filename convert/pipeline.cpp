#include "pipeline.h"

#include <optional>
#include <stdexcept>

#include "script_blocks.h"
#include "write_merge.h"

namespace aspclip::inline ASPCLIP_SCAN_NAMESPACE {

// The chain is built from its end, each stage writing into the next one's pieces, and runs as the
// text flows: each statement is merged as it is found, and each piece of merged code rewritten
// before the next is made.
void RunStages(std::string_view input, StageName first, StageName last, Stage& out,
               std::size_t pieceBytes) {
  if (pieceBytes < kSmallestPieceBytes || first > last) {
    throw std::invalid_argument("no such chain of stages");
  }
  const auto runs = [&](StageName stage) { return first <= stage && stage <= last; };
  Stage* next = &out;
  std::optional<PieceWriter> code, merged;
  std::optional<LiteralSkippingRewriter> rewriter;
  std::optional<WriteMerger> merger;
  if (runs(StageName::kRewrite)) {
    next = &rewriter.emplace(code.emplace(*next, pieceBytes));
  }
  if (runs(StageName::kWriteMerge)) merger.emplace(merged.emplace(*next, pieceBytes));
  std::optional<PieceWriter> in;
  if (merger && first == StageName::kScriptBlocks) {
    SplitScriptBlocks(input, *merger);
  } else if (merger) {
    merger->AddLines(input);
  } else if (first == StageName::kScriptBlocks) {
    StatementLines lines(in.emplace(*next, pieceBytes));
    SplitScriptBlocks(input, lines);
  } else {
    in.emplace(*next, pieceBytes).Put(input);
  }
  if (merger) merger->Finish();
  for (std::optional<PieceWriter>* writer : {&in, &merged, &code}) {
    if (writer->has_value()) (*writer)->Finish();
  }
}

void MergeChain::Finish(Behind behind) {
  if (behind == Behind::kPageEnd) {
    merger_.Finish();
  } else {
    merger_.FinishBeforeCut();
  }
  merged_.Finish();
  code_.Finish();
}

void ConvertChunk(std::string_view page, std::size_t from, std::size_t to, Stage& out,
                  std::size_t pieceBytes, std::size_t codePieceBytes) {
  MergeChain chain(out, pieceBytes, codePieceBytes);
  SplitScriptBlocks(page, from, to, chain.merger());
  chain.Finish(to == page.size() ? MergeChain::Behind::kPageEnd : MergeChain::Behind::kCut);
}

void ConvertAspCode(std::string_view page, CodeSink& sink, std::size_t pieceBytes) {
  SinkStage toSink(sink);
  ConvertChunk(page, 0, page.size(), toSink, pieceBytes, pieceBytes);
}

}  // namespace aspclip::inline ASPCLIP_SCAN_NAMESPACE
