// The records the script block stage hands the write-merging stage: the page's statements in
// order, each standing on a line of its own. A write comes typed, so the merger never reads text
// back to find it: markup as its content, from which the literal is built as it goes out, and an
// expression as the code behind its mark.
#pragma once

#include <concepts>
#include <string_view>

#include "stage.h"

namespace aspclip::inline ASPCLIP_SCAN_NAMESPACE {

enum class StatementKind {
  kMarkupWrite,      // `text`: markup with something to write, its outer line breaks taken off
  kExpressionWrite,  // `text`: the code behind an expression block's mark
  kCode,             // `text`: script code as the page has it, any lines of its own included;
                     // empty for an empty line
};

struct Statement {
  StatementKind kind;
  std::string_view text;  // a part of the page, which outlives the conversion
};

// Where the script block stage hands its statements: the write-merging stage, or StatementLines.
template <typename Sink>
concept StatementSink = requires(Sink& sink, const Statement& statement) {
  { sink.Add(statement) } -> std::same_as<void>;
};

// The statements as the text they stand for: a line break before each, and "Response.Write "
// before each write. It is what the write-merging stage reads as statement lines, and how the
// script block stage is run alone.
class StatementLines {
 public:
  explicit StatementLines(PieceWriter& out) : out_(out) {}
  void Add(const Statement& statement);

 private:
  PieceWriter& out_;
};

}  // namespace aspclip::inline ASPCLIP_SCAN_NAMESPACE
