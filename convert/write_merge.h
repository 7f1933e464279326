// The second stage: merges each run of consecutive writes into one statement.
#pragma once

#include <cstddef>
#include <string_view>

#include "stage.h"
#include "syntax.h"

namespace aspclip::inline ASPCLIP_SCAN_NAMESPACE {

// Joins each run of statement lines that begin with "Response.Write " into one statement, its
// operands separated by " & " and continued onto a new line once a generated line holds more than
// the limit. Every output line ends in a line break. A statement continued over several physical
// lines is one line here.
class WriteMerger final : public Stage {
 public:
  // What a line's start must show to tell a write: the statement word, and behind its space the
  // rest of a continuation, which would make the word no statement.
  static constexpr std::size_t kLineHeadBytes = kWriteStatement.size() - 1 + kContinuation.size();
  // What must follow a line break before the line behind it can be judged.
  static constexpr std::size_t kLookAhead = kLineBreak.size() + kLineHeadBytes;

  explicit WriteMerger(PieceWriter& out) : out_(out) {}
  std::size_t Take(std::string_view text, bool final) override;

 private:
  // Opens a statement line at `start`; true when it is a write that joins the open run, whose
  // statement word then goes.
  bool StartLine(std::string_view text, std::size_t start);
  // Adds `text`, `units` long as Visual Basic counts.
  void AddToLine(std::string_view text, std::size_t units);
  // Hands on the text not yet handed on up to `end`, and returns `end`.
  std::size_t HandOn(std::string_view text, std::size_t end);

  PieceWriter& out_;
  bool started_ = false;  // the text is not empty
  bool atLineStart_ = true;
  bool writeLine_ = false;
  bool runOpen_ = false;
  std::size_t copied_ = 0;   // of the text of this call, what has been handed on
  std::size_t measure_ = 0;  // of the generated line the next operand would join
  // The line's last two bytes, for a continuation's " _" before its line break.
  char beforeLast_ = '\0', last_ = '\0';
};

}  // namespace aspclip::inline ASPCLIP_SCAN_NAMESPACE
