#include "engine_harness.h"

#include <string>

#include "app/text_encoding.h"
#include "convert/literal_skipping_rewrite.h"
#include "convert/markup_literal.h"
#include "convert/pipeline.h"
#include "convert/script_blocks.h"
#include "convert/write_merge.h"

namespace harness {
namespace {

// The end of a chain of stages: keeps everything.
class Collector final : public aspclip::Stage, public aspclip::CodeSink {
 public:
  std::size_t Take(std::string_view text, bool) override {
    Put(text);
    return text.size();
  }
  void Put(std::string_view piece) override { bytes_ += piece; }
  Text Utf16() const {
    std::u16string units;
    aspclip::AppendUtf16(bytes_, units);
    return units;
  }

 private:
  std::string bytes_;
};

}  // namespace

Text ConvertAspCode(const Text& page) {
  Collector out;
  aspclip::ConvertAspCode(aspclip::Wtf8FromUtf16(page), out);
  return out.Utf16();
}

Text SplitScriptBlocks(const Text& page) {
  Collector out;
  aspclip::PieceWriter lines(out);
  aspclip::SplitScriptBlocks(aspclip::Wtf8FromUtf16(page), lines);
  lines.Finish();
  return out.Utf16();
}

Text MergeWriteRuns(const Text& statements) {
  Collector out;
  aspclip::PieceWriter code(out);
  aspclip::LiteralSkippingRewriter rewriter(code);
  aspclip::PieceWriter merged(rewriter);
  aspclip::WriteMerger merger(merged);
  aspclip::PieceWriter lines(merger);
  lines.Put(aspclip::Wtf8FromUtf16(statements));
  lines.Finish();
  merged.Finish();
  code.Finish();
  return out.Utf16();
}

Text MarkupToLiteral(const Text& markup) {
  Collector out;
  aspclip::PieceWriter literal(out);
  const std::string bytes = aspclip::Wtf8FromUtf16(markup);
  aspclip::MarkupToLiteral(aspclip::MarkupContent(bytes), literal);
  literal.Finish();
  return out.Utf16();
}

}  // namespace harness
