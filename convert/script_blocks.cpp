#include "script_blocks.h"

#include <algorithm>

#include "markup_literal.h"
#include "scan.h"
#include "vb_syntax.h"

namespace aspclip {
namespace {

// A closing delimiter before the first opening one means the page starts inside a block; an opening
// delimiter after the last closing one means it ends inside one. Either way the missing delimiter
// is added, so that the text is read as code.
void BalanceDelimiters(Text& page) {
  if (FindFirst(page, kBlockClose, 1) < FindFirst(page, kBlockOpen, 1)) {
    page.insert(0, kBlockOpen);
  }
  if (FindLast(page, kBlockClose) < FindLast(page, kBlockOpen)) page += kBlockClose;
}

// No page gives longer statements: the whole page as one literal, and for each block at most two
// statement heads, a literal's quotes and two line breaks. Reserved room that is never written
// costs no memory.
std::size_t StatementsSizeBound(TextView page) {
  constexpr std::size_t kPerBlock = 40, kFirstPart = 64;
  return LiteralSizeBound(page) + kFirstPart + kPerBlock * CountOf(page, u'<');
}

class StatementWriter {
 public:
  explicit StatementWriter(Text& lines) : lines_(lines) {}

  void AddLine(TextView text) { lines_.append(kLineBreak).append(text); }

  void AddMarkup(TextView markup) {
    const TextView content = MarkupContent(markup);
    if (content.empty()) return;
    AddLine(kWriteStatement);
    AppendLiteral(content, lines_);
  }

  void AddCode(TextView code) {
    const TextView trimmed = code.substr(std::min(code.find_first_not_of(u' '), code.size()));
    if (trimmed.starts_with(kExpressionMark)) {
      AddLine(kWriteStatement);
      lines_.append(trimmed.substr(1));
    } else {
      AddLine(code);
    }
  }

  // A part is the text behind one opening delimiter: the block's code, then the markup behind its
  // closing delimiter. Everything behind the first closing delimiter is markup, later closing
  // delimiters included, so no text of the page is lost.
  void AddPart(TextView part) {
    if (part.empty()) {
      lines_.append(kLineBreak);
      return;
    }
    const std::size_t close = FindPattern(part, 0, kBlockClose);
    if (close == TextView::npos) {
      AddMarkup(part);
      return;
    }
    AddCode(part.substr(0, close));
    AddMarkup(part.substr(close + kBlockClose.size()));
  }

 private:
  Text& lines_;
};

}  // namespace

void SplitScriptBlocks(Text& page) {
  if (page.empty()) return;
  BalanceDelimiters(page);
  const TextView source = page;
  Text lines;
  lines.reserve(StatementsSizeBound(source));
  StatementWriter writer(lines);
  for (std::size_t start = 0;;) {
    const std::size_t open = FindPattern(source, start, kBlockOpen);
    writer.AddPart(source.substr(start, open == TextView::npos ? TextView::npos : open - start));
    if (open == TextView::npos) break;
    start = open + kBlockOpen.size();
  }
  page = std::move(lines);
}

}  // namespace aspclip
