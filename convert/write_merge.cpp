#include "write_merge.h"

#include "scan/scan.h"
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

// The statement word must open the line and be followed by a plain space, not a continuation.
bool IsWriteLine(std::string_view head) {
  static constexpr CaseInsensitiveWord kWord(kWriteStatement);
  return kWord.MatchesAt(head, 0) && !ContinuationAt(head, kWriteStatement.size() - 1);
}

}  // namespace

// The text goes on as it is but where a write joins the open run: there the line break before it
// and its statement word give way to the operand separator. So the text between joins is handed on
// in one piece, from `copied_`. Inlined into the scan: it runs once a line, and a call would make
// the scan put its state back in memory every line.
[[gnu::always_inline]] inline bool WriteMerger::StartLine(std::string_view text,
                                                          std::size_t start) {
  writeLine_ = IsWriteLine(text.substr(start, kLineHeadBytes));
  beforeLast_ = last_ = '\0';
  if (!writeLine_ || !runOpen_) {
    runOpen_ = writeLine_;
    measure_ = 0;
    return false;
  }
  out_.Put(text.substr(copied_, start - kLineBreak.size() - copied_));
  if (measure_ > kLineLimit) {
    out_.Put(kOperandContinuation);
    measure_ = kContinuationMeasure;
  } else {
    out_.Put(kOperandJoin);
    measure_ += kOperandJoin.size();
  }
  copied_ = start + kWriteStatement.size();
  return true;
}

void WriteMerger::AddToLine(std::string_view text, std::size_t units) {
  if (text.empty()) return;
  if (writeLine_) measure_ += units;
  beforeLast_ = text.size() > 1 ? text[text.size() - 2] : last_;
  last_ = text.back();
}

std::size_t WriteMerger::HandOn(std::string_view text, std::size_t end) {
  out_.Put(text.substr(copied_, end - copied_));
  return end;
}

std::size_t WriteMerger::Take(std::string_view text, bool final) {
  started_ = started_ || !text.empty();
  copied_ = 0;
  std::size_t i = 0;
  for (;;) {
    if (atLineStart_) {
      // Only the text's first line starts a piece: a later one is judged with its line break.
      if (text.size() < kLineHeadBytes && !final) return 0;
      if (StartLine(text, i)) {
        i += kWriteStatement.size();
        beforeLast_ = kWriteStatement[kWriteStatement.size() - 2], last_ = kWriteStatement.back();
      }
      atLineStart_ = false;
    }
    // Only a write line is measured, and only until it holds more than the limit: then the next
    // operand goes to a new line whatever follows.
    std::size_t units = 0;
    const std::size_t cr = writeLine_ && measure_ <= kLineLimit
                               ? FindFirstOfMeasuring(text, i, StopBytes<1>{'\r'}, units)
                               : FindFirstOf(text, i, '\r');
    AddToLine(text.substr(i, cr - i), units);
    if (cr == kNotFound) break;
    // The line behind a line break is judged by its start, which may come with the next piece.
    if (!final && text.size() - cr < kLookAhead) return HandOn(text, cr);
    if (!LineBreakAt(text, cr)) {
      AddToLine(text.substr(cr, 1), 1);  // a lone CR is an ordinary character
      i = cr + 1;
    } else if (beforeLast_ == kContinuation[0] && last_ == kContinuation[1]) {
      beforeLast_ = kLineBreak[0], last_ = kLineBreak[1];
      // Its " _" was measured as text.
      if (writeLine_) measure_ += kContinuationMeasure - kContinuationMark.size();
      i = cr + kLineBreak.size();
    } else {
      // A write line's break is held back: the next operand may join the line instead.
      atLineStart_ = true;
      i = cr + kLineBreak.size();
    }
  }
  HandOn(text, text.size());
  // The last line ends in a line break too, and a write's is held back no longer.
  if (final && started_) out_.Put(kLineBreak);
  return text.size();
}

}  // namespace aspclip::inline ASPCLIP_SCAN_NAMESPACE
