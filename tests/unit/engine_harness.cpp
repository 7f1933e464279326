// Built once for each build of the engine, which has a namespace of its own.
#include "engine_harness.h"

#include <string>

#include "convert/chunks.h"
#include "convert/markup_literal.h"
#include "convert/parallel.h"
#include "convert/pipeline.h"
#include "base/characters.h"
#include "text/wtf8.h"

namespace harness {
namespace {

using aspclip::StageName;

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

// Records where the pieces that reach it end.
class CutRecorder final : public aspclip::CodeSink {
 public:
  void Put(std::string_view piece) override {
    if (!last_.empty() && !StartsCleanly(piece)) clean_ = false;
    last_ = piece.empty() ? last_ : std::string(piece);
  }
  bool clean() const { return clean_; }

 private:
  // A piece may follow the last one here: not between a CR and its LF, nor inside a character.
  bool StartsCleanly(std::string_view piece) const {
    if (piece.empty()) return true;
    if (last_.back() == '\r' && piece.front() == '\n') return false;
    return !aspclip::IsContinuationByte(piece.front());
  }

  std::string last_;
  bool clean_ = true;
};

bool CutsCleanly(const Text& page, std::size_t pieceBytes) {
  CutRecorder recorder;
  aspclip::ConvertAspCode(aspclip::Wtf8FromUtf16(page), recorder, pieceBytes);
  return recorder.clean();
}

Text RunStages(const Text& input, StageName first, StageName last, std::size_t pieceBytes) {
  Collector out;
  aspclip::RunStages(aspclip::Wtf8FromUtf16(input), first, last, out, pieceBytes);
  return out.Utf16();
}

Text ConvertAspCode(const Text& page, std::size_t pieceBytes) {
  Collector out;
  aspclip::ConvertAspCode(aspclip::Wtf8FromUtf16(page), out, pieceBytes);
  return out.Utf16();
}

Text ConvertInChunks(const Text& page, std::size_t chunkBytes, unsigned workers) {
  Collector out;
  aspclip::ConvertAspCodeInChunks(aspclip::Wtf8FromUtf16(page), out, workers, chunkBytes,
                                  aspclip::kSmallestPieceBytes);
  return out.Utf16();
}

std::size_t ChunkCount(const Text& page, std::size_t chunkBytes) {
  return aspclip::ChunkBounds(aspclip::Wtf8FromUtf16(page), chunkBytes).size() - 1;
}

Text SplitScriptBlocks(const Text& page, std::size_t pieceBytes) {
  return RunStages(page, StageName::kScriptBlocks, StageName::kScriptBlocks, pieceBytes);
}

Text MergeWriteRuns(const Text& statements, std::size_t pieceBytes) {
  return RunStages(statements, StageName::kWriteMerge, StageName::kRewrite, pieceBytes);
}

Text MarkupToLiteral(const Text& markup, std::size_t pieceBytes) {
  Collector out;
  aspclip::PieceWriter literal(out, pieceBytes);
  const std::string bytes = aspclip::Wtf8FromUtf16(markup);
  aspclip::MarkupToLiteral(aspclip::MarkupContent(bytes), literal);
  literal.Finish();
  return out.Utf16();
}

const Engine kEngine = {
#if defined(ASPCLIP_SCALAR_SCAN)
    "plain loops",
#else
    "vector scans",
#endif
    aspclip::kSmallestPieceBytes,
    aspclip::kDefaultPieceBytes,
    ConvertAspCode,
    ConvertInChunks,
    ChunkCount,
    SplitScriptBlocks,
    MergeWriteRuns,
    MarkupToLiteral,
    CutsCleanly,
};

}  // namespace

#if defined(ASPCLIP_SCALAR_SCAN)
const Engine& PlainEngine() {
  return kEngine;
}
#else
const Engine& VectorEngine() {
  return kEngine;
}
#endif

}  // namespace harness
