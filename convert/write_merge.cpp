#include "write_merge.h"

#include "scan.h"
#include "text_ops.h"
#include "vb_syntax.h"

namespace aspclip {
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
// What a line's start must show to tell a write: the statement word, and behind its space the
// rest of a continuation, which would make the word no statement.
constexpr std::size_t kLineHeadBytes = kWriteStatement.size() - 1 + kContinuation.size();

// The statement word must open the line and be followed by a plain space, not a continuation.
bool IsWriteLine(std::string_view head) {
  static constexpr CaseInsensitiveWord kWord(kWriteStatement);
  return kWord.MatchesAt(head, 0) && !ContinuationAt(head, kWriteStatement.size() - 1);
}

}  // namespace

bool WriteMerger::StartLine(std::string_view head) {
  writeLine_ = IsWriteLine(head);
  beforeLast_ = last_ = '\0';
  if (!writeLine_) {
    CloseRun();
    return false;
  }
  if (!runOpen_) {
    runOpen_ = true;
    measure_ = 0;
    return false;
  }
  if (measure_ > kLineLimit) {
    out_.Put(kOperandContinuation);
    measure_ = kContinuationMeasure;
  } else {
    out_.Put(kOperandJoin);
    measure_ += kOperandJoin.size();
  }
  return true;
}

void WriteMerger::AddToLine(std::string_view text, std::size_t units) {
  if (text.empty()) return;
  out_.Put(text);
  if (writeLine_) measure_ += units;
  beforeLast_ = text.size() > 1 ? text[text.size() - 2] : last_;
  last_ = text.back();
}

// A write line's break is held back: the next operand may join the line instead.
void WriteMerger::EndLine() {
  if (!writeLine_) out_.Put(kLineBreak);
}

void WriteMerger::CloseRun() {
  if (runOpen_) out_.Put(kLineBreak);
  runOpen_ = false;
}

std::size_t WriteMerger::Take(std::string_view text, bool final) {
  started_ = started_ || !text.empty();
  std::size_t i = 0;
  for (;;) {
    if (atLineStart_) {
      if (text.size() - i < kLineHeadBytes && !final) return i;
      if (i == text.size() && !started_) return i;
      const std::string_view head = text.substr(i, kLineHeadBytes);
      if (StartLine(head)) {
        i += kWriteStatement.size();
        beforeLast_ = kWriteStatement[kWriteStatement.size() - 2], last_ = kWriteStatement.back();
      }
      atLineStart_ = false;
    }
    std::size_t units = 0;
    const std::size_t cr = FindFirstOfMeasuring(text, i, StopBytes<1>{'\r'}, units);
    if (cr == kNotFound || (cr + 1 == text.size() && !final)) {
      AddToLine(text.substr(i, cr - i), units);
      if (cr != kNotFound) return cr;  // its LF may come with the next piece
      if (final) {
        EndLine();
        CloseRun();
      }
      return text.size();
    }
    AddToLine(text.substr(i, cr - i), units);
    if (!LineBreakAt(text, cr)) {
      AddToLine(text.substr(cr, 1), 1);  // a lone CR is an ordinary character
      i = cr + 1;
    } else if (beforeLast_ == kContinuation[0] && last_ == kContinuation[1]) {
      out_.Put(kLineBreak);
      beforeLast_ = kLineBreak[0], last_ = kLineBreak[1];
      // Its " _" was measured as text.
      if (writeLine_) measure_ += kContinuationMeasure - kContinuationMark.size();
      i = cr + kLineBreak.size();
    } else {
      EndLine();
      atLineStart_ = true;
      i = cr + kLineBreak.size();
    }
  }
}

}  // namespace aspclip
