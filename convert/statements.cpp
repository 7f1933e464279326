#include "statements.h"

#include "markup_literal.h"
#include "syntax.h"

namespace aspclip::inline ASPCLIP_SCAN_NAMESPACE {

void StatementLines::Add(const Statement& statement) {
  out_.Put(kLineBreak);
  if (statement.kind != StatementKind::kCode) out_.Put(kWriteStatement);
  if (statement.kind == StatementKind::kMarkupWrite) {
    MarkupToLiteral(statement.text, out_);
  } else {
    out_.Put(statement.text);
  }
}

}  // namespace aspclip::inline ASPCLIP_SCAN_NAMESPACE
