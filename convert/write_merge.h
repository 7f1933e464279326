// The second stage: merges each run of consecutive writes into one statement.
#pragma once

#include <cstddef>
#include <optional>
#include <string_view>

#include "stage.h"
#include "statements.h"
#include "syntax.h"

namespace aspclip::inline ASPCLIP_SCAN_NAMESPACE {

// Whether another statement, with the line break in front of it, follows a text.
enum class Following { kNothing, kStatement };

// Whether the line that starts `rest` is a write: it opens with the statement word and a plain
// space. A rest shorter than a line's head has the line break of the next statement behind it
// where one follows.
bool IsWriteLineAt(std::string_view rest, Following following);

// Joins each run of statement lines that begin with "Response.Write " into one statement, its
// operands separated by " & " and continued onto a new line once a generated line holds more than
// the limit. Every output line ends in a line break. A statement continued over several physical
// lines is one line here. The statements come as records; a line of the page's own code that
// begins with the statement word is a write too, judged by its text. A run opens with the append
// to OutputString, which the rewrite behind would make of its statement word.
//
// The rule that ties it together: every line break (the one in front of each statement, and each
// in a statement's text) either continues the line, behind a continuation's " _", or ends it. A
// line break that ends a line is held back until the line behind it shows its start: where that
// line is a write and a run of writes is open, the break and the statement word give way to the
// operand join (" & ", or " & _" and a line break once the run's line is past the limit);
// elsewhere the break goes out and the line opens a run of writes, or a line of other code. Only
// write lines are measured, in UTF-16 units as Visual Basic counts them, until past the limit.
class WriteMerger {
 public:
  // What a line's start must show to tell a write: the statement word, and behind its space the
  // rest of a continuation, which would make the word no statement.
  static constexpr std::size_t kLineHeadBytes = kWriteStatement.size() - 1 + kContinuation.size();

  explicit WriteMerger(PieceWriter& out) : out_(out) {}

  // The next statement. Each is merged once the one behind it is known, for the line break in
  // front of that one may continue its last line.
  void Add(const Statement& statement) {
    if (held_) Merge(*held_, Following::kStatement);
    held_ = statement;
  }
  // Statement lines as text, the whole of them: what the script block stage would write.
  void AddLines(std::string_view lines);
  // Merges what is held, and ends the last line.
  void Finish();
  // Merges what is held where a cut follows: the statement behind it is in the next chunk, and
  // the line break in front of it is that chunk's.
  void FinishBeforeCut();

 private:
  enum class LineKind { kCode, kWrite };
  // What a line break did: the line goes on behind it, or it ended the line and is held back.
  enum class Break { kContinuesLine, kEndsLine };
  // How a line started: a line of its own, or a write that joins the open run (its statement word
  // gone, the operand join in its place).
  enum class LineStart { kOwnLine, kJoinsRun };

  // The line being written.
  struct Line {
    LineKind kind = LineKind::kCode;
    std::size_t measure = 0;  // of the generated line the next operand would join
    // Its last two bytes, for a continuation's " _" before its line break.
    char beforeLast = '\0', last = '\0';
  };

  void Merge(const Statement& statement, Following following);
  // The line break in front of a statement.
  Break BreakLine();
  // Whether a line break here continues the line, as it does behind a continuation's " _"; the
  // line then goes on, measured as one.
  bool ContinuesAtBreak();
  LineStart StartLine(LineKind kind);
  // The start of a write statement: a line of its own unless the line break in front of it
  // continued the line, and its statement word unless it joins the open run.
  void OpenWrite(Break lineBreak, LineKind kind);
  void PutStatementWord(LineKind kind);
  std::size_t OpenCodeLine(std::string_view text, Following following);
  // Adds text that continues the current line; its line breaks end lines, each judged by the head
  // of the line behind.
  void AddText(std::string_view text, Following following);
  void AddTextLines(std::string_view text, Following following);
  // Adds `text`, `units` long as Visual Basic counts, to the current line's measure and ending.
  void AddToLine(std::string_view text, std::size_t units);

  PieceWriter& out_;
  std::optional<Statement> held_;  // the statement not yet merged
  bool started_ = false;           // the text is not empty
  bool breakHeld_ = false;  // the line break behind the last line, until the next shows no join
  bool runOpen_ = false;    // a run of writes is open, which a write line joins
  Line line_;
};

}  // namespace aspclip::inline ASPCLIP_SCAN_NAMESPACE
