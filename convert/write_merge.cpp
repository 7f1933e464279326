#include "write_merge.h"

#include <algorithm>

#include "literal_rewrite.h"
#include "scan.h"
#include "vb_syntax.h"

namespace aspclip {
namespace {

constexpr TextView kOperandJoin = u" & ";
constexpr TextView kOperandContinuation = u" & _\r\n";
// A line continuation counts as this many characters when a generated line is measured.
constexpr std::size_t kContinuationMeasure = 3;

// A statement line runs to the next line break that does not end a line continuation: a statement
// continued over several physical lines is one line here.
struct StatementLine {
  TextView text;
  std::size_t measure;  // its length, each continuation in it counted as kContinuationMeasure
  bool last;
};

StatementLine NextStatementLine(TextView source, std::size_t start) {
  std::size_t continuations = 0;
  for (std::size_t i = start; (i = FindFirstOf(source, i, u'\r')) < source.size(); ++i) {
    if (!LineBreakAt(source, i)) continue;
    const bool endsContinuation = i >= start + 2 && ContinuationAt(source, i - 2);
    if (!endsContinuation) {
      return {source.substr(start, i - start), i - start - continuations, false};
    }
    ++continuations;
  }
  const TextView rest = source.substr(start);
  return {rest, rest.size() - continuations, true};
}

// The statement word must open the line and be followed by a plain space, not a continuation.
bool IsWriteLine(TextView line) {
  return MatchesAt(line, 0, kWriteStatement, CaseInsensitiveMatch) &&
         !ContinuationAt(line, kWriteStatement.size() - 1);
}

// Merges in place: the merged statements never run ahead of the lines they are made of, since a
// write line loses its statement word before it gains a join, so each piece is written over text
// already read. Only the final line break may be new: two units of room are made for it.
class RunMerger {
 public:
  explicit RunMerger(Text& text) : text_(text) {}

  void AddWrite(const StatementLine& line) {
    if (!runOpen_) {
      Emit(line.text);
      measure_ = line.measure;
      runOpen_ = true;
      return;
    }
    const TextView operand = line.text.substr(kWriteStatement.size());
    const std::size_t operandMeasure = line.measure - kWriteStatement.size();
    if (measure_ > kLineLimit) {
      Emit(kOperandContinuation);
      measure_ = kContinuationMeasure + operandMeasure;
    } else {
      Emit(kOperandJoin);
      measure_ += kOperandJoin.size() + operandMeasure;
    }
    Emit(operand);
  }

  void AddOther(TextView line) {
    CloseRun();
    Emit(line);
    Emit(kLineBreak);
  }

  void CloseRun() {
    if (runOpen_) Emit(kLineBreak);
    runOpen_ = false;
  }

  std::size_t written() const { return written_; }

 private:
  // `piece` is a constant or lies at or after the write position: the copy moves it forward.
  void Emit(TextView piece) {
    std::copy(piece.begin(), piece.end(), text_.data() + written_);
    written_ += piece.size();
  }

  Text& text_;
  std::size_t written_ = 0;
  bool runOpen_ = false;
  std::size_t measure_ = 0;  // of the generated line the next operand would join
};

}  // namespace

void MergeWriteRuns(Text& text) {
  if (text.empty()) return;
  const std::size_t size = text.size();
  text.resize(size + kLineBreak.size());
  const TextView source = TextView(text).substr(0, size);
  RunMerger merger(text);
  for (std::size_t start = 0;;) {
    const StatementLine line = NextStatementLine(source, start);
    if (IsWriteLine(line.text)) {
      merger.AddWrite(line);
    } else {
      merger.AddOther(line.text);
    }
    if (line.last) break;
    start += line.text.size() + kLineBreak.size();
  }
  merger.CloseRun();
  text.resize(merger.written());
  RewriteOutsideLiterals(text, kWriteStatement, kOutputAppend);
}

}  // namespace aspclip
