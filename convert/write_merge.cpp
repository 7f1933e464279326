#include "write_merge.h"

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
  for (std::size_t i = start;
       (i = FindFirstOf(source, i, {u'\r', u'\r', u'\r', u'\r'})) < source.size(); ++i) {
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

class RunMerger {
 public:
  explicit RunMerger(Text& out) : out_(out) {}

  void AddWrite(const StatementLine& line) {
    if (!runOpen_) {
      out_.append(line.text);
      measure_ = line.measure;
      runOpen_ = true;
      return;
    }
    const TextView operand = line.text.substr(kWriteStatement.size());
    const std::size_t operandMeasure = line.measure - kWriteStatement.size();
    if (measure_ > kLineLimit) {
      out_.append(kOperandContinuation);
      measure_ = kContinuationMeasure + operandMeasure;
    } else {
      out_.append(kOperandJoin);
      measure_ += kOperandJoin.size() + operandMeasure;
    }
    out_.append(operand);
  }

  void AddOther(TextView line) {
    CloseRun();
    out_.append(line).append(kLineBreak);
  }

  void CloseRun() {
    if (runOpen_) out_.append(kLineBreak);
    runOpen_ = false;
  }

 private:
  Text& out_;
  bool runOpen_ = false;
  std::size_t measure_ = 0;  // of the generated line the next operand would join
};

}  // namespace

void MergeWriteRuns(Text& text) {
  if (text.empty()) return;
  // Merging only shrinks the text, bar the final line break; the rewrite of the statement word
  // then grows it in place. Reserved room that is never written costs no memory.
  Text merged;
  merged.reserve(text.size() + kLineBreak.size() + text.size());
  RunMerger merger(merged);
  for (std::size_t start = 0;;) {
    const StatementLine line = NextStatementLine(text, start);
    if (IsWriteLine(line.text)) {
      merger.AddWrite(line);
    } else {
      merger.AddOther(line.text);
    }
    if (line.last) break;
    start += line.text.size() + kLineBreak.size();
  }
  merger.CloseRun();
  text = std::move(merged);
  RewriteOutsideLiterals(text, kWriteStatement, kOutputAppend);
}

}  // namespace aspclip
