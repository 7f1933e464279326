// The second stage: merges each run of consecutive writes into one statement.
#pragma once

#include <cstddef>
#include <string_view>

#include "stage.h"
#include "statements.h"
#include "syntax.h"

namespace aspclip::inline ASPCLIP_SCAN_NAMESPACE {

// Whether the line that starts `rest` is a write: it opens with the statement word and a plain
// space. A rest shorter than a line's head has the line break of the next statement behind it
// when `more` says one follows.
bool IsWriteLineAt(std::string_view rest, bool more);

// Joins each run of statement lines that begin with "Response.Write " into one statement, its
// operands separated by " & " and continued onto a new line once a generated line holds more than
// the limit. Every output line ends in a line break. A statement continued over several physical
// lines is one line here. The statements come as records; a line of the page's own code that
// begins with the statement word is a write too, judged by its text. A run opens with the append
// to OutputString, which the rewrite behind would make of its statement word.
class WriteMerger {
 public:
  // What a line's start must show to tell a write: the statement word, and behind its space the
  // rest of a continuation, which would make the word no statement.
  static constexpr std::size_t kLineHeadBytes = kWriteStatement.size() - 1 + kContinuation.size();

  explicit WriteMerger(PieceWriter& out) : out_(out) {}

  // The next statement. Each is merged once the one behind it is known, for the line break in
  // front of that one may continue its last line.
  void Add(const Statement& statement) {
    if (holding_) Merge(held_, true);
    held_ = statement;
    holding_ = true;
  }
  // Statement lines as text, the whole of them: what the script block stage would write.
  void AddLines(std::string_view lines);
  // Merges what is held, and ends the last line.
  void Finish();
  // Merges what is held where a cut follows: the statement behind it is in the next chunk, and
  // the line break in front of it is that chunk's.
  void FinishBeforeCut();

 private:
  void Merge(const Statement& statement, bool more);
  // The line break in front of each statement: it ends the line, or continues it.
  bool BreakLine();
  // Whether a line break here continues the line, as it does behind a continuation's " _"; the
  // line then goes on, measured as one.
  bool ContinuesAtBreak();
  // Opens a line, a write or not; true when it is a write that joins the open run, whose
  // statement word then goes.
  bool StartLine(bool write);
  void StartWriteLine(bool statement);
  std::size_t OpenCodeLine(std::string_view text, bool more);
  // Adds text that continues the current line; its line breaks end lines, each judged by the head
  // of the line behind. `more` tells whether another statement, with its line break, follows.
  void AddText(std::string_view text, bool more);
  void AddTextLines(std::string_view text, bool more);
  // Adds `text`, `units` long as Visual Basic counts, to the current line's measure and ending.
  void AddToLine(std::string_view text, std::size_t units);

  PieceWriter& out_;
  Statement held_{};
  bool holding_ = false;    // held_ is a statement not yet merged
  bool started_ = false;    // the text is not empty
  bool breakHeld_ = false;  // the line break behind the last line, until the next shows no join
  bool writeLine_ = false;
  bool runOpen_ = false;
  std::size_t measure_ = 0;  // of the generated line the next operand would join
  // The line's last two bytes, for a continuation's " _" before its line break.
  char beforeLast_ = '\0', last_ = '\0';
};

}  // namespace aspclip::inline ASPCLIP_SCAN_NAMESPACE
