#include "pipeline.h"

#include "literal_skipping_rewrite.h"
#include "script_blocks.h"
#include "write_merge.h"

namespace aspclip {

// The stages run as the text flows: each piece of statement lines is merged, and each piece of
// merged code rewritten, before the next is made.
void ConvertAspCode(std::string_view page, CodeSink& sink) {
  SinkStage toSink(sink);
  PieceWriter code(toSink);
  LiteralSkippingRewriter rewriter(code);
  PieceWriter merged(rewriter);
  WriteMerger merger(merged);
  PieceWriter lines(merger);
  SplitScriptBlocks(page, lines);
  lines.Finish();
  merged.Finish();
  code.Finish();
}

}  // namespace aspclip
