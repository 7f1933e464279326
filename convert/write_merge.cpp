#include "write_merge.h"

#include <cstdint>
#include <cstring>
#include <utility>

#include "base/scan.h"
#include "markup_literal.h"
#include "text_ops.h"

namespace aspclip::inline ASPCLIP_SCAN_NAMESPACE {
namespace {

constexpr std::string_view kOperandJoin = " & ";
constexpr std::string_view kOperandContinuation = " & _\r\n";
// A line continuation counts as the placeholder that the measuring rule puts in its place, so
// that a statement continued over several physical lines is measured as one line.
constexpr std::string_view kContinuationPlaceholder = "@!@";
constexpr std::size_t kContinuationMeasure = kContinuationPlaceholder.size();
// The part of a continuation that stands before its line break.
constexpr std::string_view kContinuationMark =
    kContinuation.substr(0, kContinuation.size() - kLineBreak.size());
constexpr std::size_t kWriteStatementUnits = kWriteStatement.size();  // ASCII

// The statement word must open the line and be followed by a plain space, not a continuation.
bool IsWriteLine(std::string_view head) {
  static constexpr CaseInsensitiveWord kWord(kWriteStatement);
  return kWord.MatchesAt(head, 0) && !ContinuationAt(head, kWriteStatement.size() - 1);
}

// Whether the line "Response.Write " and `expression` is a write, as IsWriteLineAt would judge
// it: its statement word is followed by a continuation, and so no statement, only where the
// expression starts with an underscore and a line break, or is an underscore that the next
// statement's line break follows.
bool IsExpressionWrite(std::string_view expression, Following following) {
  constexpr std::string_view kAfterWord = kContinuation.substr(1);
  static_assert(kWriteStatement.back() == kContinuation.front());
  return !(expression.starts_with(kAfterWord) ||
           (following == Following::kStatement &&
            expression == kAfterWord.substr(0, kAfterWord.size() - kLineBreak.size())));
}

// The measure of a text shorter than two blocks; false, measuring nothing, when it holds a CR.
// Most expressions are such a text. It is looked at as one word, or as two words or two blocks,
// which may overlap.
constexpr std::size_t kShortLineBytes = 2 * kBlockBytes;
[[gnu::always_inline]] inline bool MeasureShortLine(std::string_view text, std::size_t& units) {
  constexpr std::size_t kWord = sizeof(std::uint64_t);
  constexpr std::uint64_t kLowBits = 0x0101010101010101, kCrs = '\r' * kLowBits;
  const auto holdsCr = [&](std::uint64_t w) {
    w ^= kCrs;  // a CR becomes a zero byte, and a zero byte behind a short text no zero
    return ((w - kLowBits) & ~w & (kLowBits << 7)) != 0;
  };
  const auto wordAt = [&](const char* at) {
    std::uint64_t w;
    std::memcpy(&w, at, kWord);
    return w;
  };
  if (text.size() >= kBlockBytes) {
    const char* last = text.data() + text.size() - kBlockBytes;
    if ((BlockMask(text.data(), StopBytes<1>{'\r'}) | BlockMask(last, StopBytes<1>{'\r'})) != 0)
      return false;
    const bool ascii = (BeyondAsciiMask(text.data()) | BeyondAsciiMask(last)) == 0;
    units = ascii ? text.size() : Utf16Length(text);
    return true;
  }
  if (text.size() < kWord) {
    const std::uint64_t w = ShortTextWord(text);
    if (holdsCr(w)) return false;
    units = Utf16LengthOfWord(w, text.size());
    return true;
  }
  if (holdsCr(wordAt(text.data())) || holdsCr(wordAt(text.data() + text.size() - kWord))) {
    return false;
  }
  units = Utf16Length(text);
  return true;
}

}  // namespace

// The text beyond the next statement's line break never decides.
bool IsWriteLineAt(std::string_view rest, Following following) {
  // Most lines are no write, as their first letter tells.
  if (rest.empty() || FoldCase(rest[0]) != FoldCase(kWriteStatement[0])) return false;
  constexpr std::size_t kHeadBytes = WriteMerger::kLineHeadBytes;
  if (rest.size() >= kHeadBytes || following == Following::kNothing) {
    return IsWriteLine(rest.substr(0, kHeadBytes));
  }
  char head[kHeadBytes];
  const std::size_t size = rest.copy(head, kHeadBytes);
  return IsWriteLine({head, size + kLineBreak.copy(head + size, kHeadBytes - size)});
}

[[gnu::always_inline]] inline void WriteMerger::AddToLine(std::string_view text,
                                                          std::size_t units) {
  if (text.empty()) return;
  if (line_.kind == LineKind::kWrite) line_.measure += units;
  line_.beforeLast = text.size() > 1 ? text[text.size() - 2] : line_.last;
  line_.last = text.back();
}

[[gnu::always_inline]] inline bool WriteMerger::ContinuesAtBreak() {
  if (line_.beforeLast != kContinuation[0] || line_.last != kContinuation[1]) return false;
  line_.beforeLast = kLineBreak[0], line_.last = kLineBreak[1];
  // Its " _" was measured as text.
  if (line_.kind == LineKind::kWrite)
    line_.measure += kContinuationMeasure - kContinuationMark.size();
  return true;
}

[[gnu::always_inline]] inline WriteMerger::Break WriteMerger::BreakLine() {
  if (ContinuesAtBreak()) {
    out_.Put(kLineBreak);
    return Break::kContinuesLine;
  }
  breakHeld_ = true;
  return Break::kEndsLine;
}

// The text goes on as it is but where a write joins the open run: there the line break before it
// and its statement word give way to the operand separator.
[[gnu::always_inline]] inline WriteMerger::LineStart WriteMerger::StartLine(LineKind kind) {
  const bool write = kind == LineKind::kWrite;
  const bool breakHeld = std::exchange(breakHeld_, false);
  if (!write || !runOpen_) {
    runOpen_ = write;
    line_ = {kind, 0, '\0', '\0'};
    if (breakHeld) out_.Put(kLineBreak);
    return LineStart::kOwnLine;
  }
  if (line_.measure > kLineLimit) {
    out_.Put(kOperandContinuation);
    line_.measure = kContinuationMeasure;
  } else {
    out_.Put(kOperandJoin);
    line_.measure += kOperandJoin.size();
  }
  line_.kind = kind;
  line_.beforeLast = kWriteStatement[kWriteStatement.size() - 2],
  line_.last = kWriteStatement.back();
  return LineStart::kJoinsRun;
}

[[gnu::always_inline]] inline void WriteMerger::OpenWrite(Break lineBreak, LineKind kind) {
  if (lineBreak == Break::kEndsLine && StartLine(kind) == LineStart::kJoinsRun) return;
  PutStatementWord(kind);
}

// The statement word of a write that opens a line, or that a continued line holds. Where it is a
// statement, the rewrite behind would turn it into the append to OutputString: it goes as that at
// once. The line counts it as the word.
[[gnu::always_inline]] inline void WriteMerger::PutStatementWord(LineKind kind) {
  out_.Put(kind == LineKind::kWrite ? kOutputAppend : kWriteStatement);
  AddToLine(kWriteStatement, kWriteStatementUnits);
}

// A line of the page's code: a write's statement word goes, either for the operand join or as the
// append that opens a run. Returns how much of `text` it was.
[[gnu::always_inline]] inline std::size_t WriteMerger::OpenCodeLine(std::string_view text,
                                                                    Following following) {
  const LineKind kind = IsWriteLineAt(text, following) ? LineKind::kWrite : LineKind::kCode;
  if (StartLine(kind) == LineStart::kJoinsRun) return kWriteStatement.size();
  if (kind == LineKind::kCode) return 0;
  PutStatementWord(kind);
  return kWriteStatement.size();
}

// A text of one short line, as most expressions are, is measured and goes on here, inlined into
// the merge of its statement.
[[gnu::always_inline]] inline void WriteMerger::AddText(std::string_view text,
                                                        Following following) {
  if (std::size_t units = 0; text.size() < kShortLineBytes && MeasureShortLine(text, units)) {
    AddToLine(text, units);
    out_.Put(text);
  } else {
    AddTextLines(text, following);
  }
}

void WriteMerger::AddLines(std::string_view lines) {
  if (lines.empty()) return;
  started_ = true;
  AddText(lines.substr(OpenCodeLine(lines, Following::kNothing)), Following::kNothing);
}

void WriteMerger::FinishBeforeCut() {
  if (held_) Merge(*held_, Following::kStatement);
  held_.reset();
}

void WriteMerger::Finish() {
  if (held_) Merge(*held_, Following::kNothing);
  held_.reset();
  // The last line ends in a line break too, and a write's is held back no longer.
  if (started_) out_.Put(kLineBreak);
}

// A markup write's literal is built as it goes out, and measured by its builder. An expression's
// code and a block's code are text to the merger, as any statement lines are.
void WriteMerger::Merge(const Statement& statement, Following following) {
  started_ = true;
  const Break lineBreak = BreakLine();
  const std::string_view text = statement.text;
  switch (statement.kind) {
    case StatementKind::kMarkupWrite: {
      OpenWrite(lineBreak, LineKind::kWrite);
      const std::size_t units = MarkupToLiteral(text, out_);
      if (line_.kind == LineKind::kWrite && line_.measure <= kLineLimit) line_.measure += units;
      line_.beforeLast = '\0', line_.last = kQuote;
      break;
    }
    case StatementKind::kExpressionWrite:
      OpenWrite(lineBreak, IsExpressionWrite(text, following) ? LineKind::kWrite : LineKind::kCode);
      AddText(text, following);
      break;
    case StatementKind::kCode: {
      const bool lineStarts = lineBreak == Break::kEndsLine;
      AddText(text.substr(lineStarts ? OpenCodeLine(text, following) : 0), following);
      break;
    }
  }
}

void WriteMerger::AddTextLines(std::string_view text, Following following) {
  std::size_t i = 0, copied = 0;  // what of the text has been handed on
  for (;;) {
    // Only a write line is measured, and only until it holds more than the limit: then the next
    // operand goes to a new line whatever follows.
    std::size_t units = 0;
    const std::size_t cr = line_.kind == LineKind::kWrite && line_.measure <= kLineLimit
                               ? FindFirstOfMeasuring(text, i, StopBytes<1>{'\r'}, units)
                               : FindFirstOf(text, i, '\r');
    AddToLine(text.substr(i, cr - i), units);
    if (cr == kNotFound) break;
    if (!LineBreakAt(text, cr)) {
      AddToLine(text.substr(cr, 1), 1);  // a lone CR is an ordinary character
      i = cr + 1;
    } else if (ContinuesAtBreak()) {
      i = cr + kLineBreak.size();
    } else {
      // A line's break is held back: the next operand may join the line instead.
      out_.Put(text.substr(copied, cr - copied));
      breakHeld_ = true;
      i = copied = cr + kLineBreak.size();
      i = copied = i + OpenCodeLine(text.substr(i), following);
    }
  }
  out_.Put(text.substr(copied));
}

}  // namespace aspclip::inline ASPCLIP_SCAN_NAMESPACE
