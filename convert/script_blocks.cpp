#include "script_blocks.h"

#include <algorithm>

#include "markup_literal.h"
#include "text_ops.h"
#include "vb_syntax.h"

namespace aspclip {
namespace {

// A closing delimiter before the first opening one, or none at all behind it, means the page
// starts inside a block: it is read as if an opening delimiter stood in front.
bool StartsInsideBlock(std::string_view page) {
  const std::size_t open = FindFirst(page, kBlockOpen, 0);
  const std::size_t close = FindFirst(page, kBlockClose, 0);
  return open != kNotFound && (close == kNotFound || close < open);
}

// An opening delimiter after the last closing one means the page ends inside a block: it is read
// as if a closing delimiter stood at its end.
bool EndsInsideBlock(std::string_view page) {
  const std::size_t open = FindLast(page, kBlockOpen);
  const std::size_t close = FindLast(page, kBlockClose);
  return open != kNotFound && (close == kNotFound || close < open);
}

class StatementWriter {
 public:
  explicit StatementWriter(PieceWriter& lines) : lines_(lines) {}

  void AddLine(std::string_view text) {
    lines_.Put(kLineBreak);
    lines_.Put(text);
  }

  void AddMarkup(std::string_view markup) {
    const std::string_view content = MarkupContent(markup);
    if (content.empty()) return;
    AddLine(kWriteStatement);
    MarkupToLiteral(content, lines_);
  }

  void AddCode(std::string_view code) {
    const std::string_view trimmed =
        code.substr(std::min(code.find_first_not_of(' '), code.size()));
    if (trimmed.starts_with(kExpressionMark)) {
      AddLine(kWriteStatement);
      lines_.Put(trimmed.substr(1));
    } else {
      AddLine(code);
    }
  }

  // A part is the text behind one opening delimiter: the block's code, then the markup behind its
  // closing delimiter. Everything behind the first closing delimiter is markup, later closing
  // delimiters included, so no text of the page is lost.
  void AddPart(std::string_view part) {
    if (part.empty()) {
      lines_.Put(kLineBreak);
      return;
    }
    const std::size_t close = FindFirst(part, kBlockClose, 0);
    if (close == kNotFound) {
      AddMarkup(part);
      return;
    }
    AddCode(part.substr(0, close));
    AddMarkup(part.substr(close + kBlockClose.size()));
  }

  // The last part of a page that ends inside a block, read with the closing delimiter that the
  // page lacks: the part holds no closing delimiter of its own, so all of it is code. A "<" at its
  // end makes an opening delimiter with the one added, and the ">" behind it is markup.
  void AddClosedLastPart(std::string_view part) {
    if (part.ends_with(kBlockOpen.front())) {
      AddPart(part.substr(0, part.size() - 1));
      AddPart(kBlockClose.substr(1));
    } else {
      AddCode(part);
    }
  }

 private:
  PieceWriter& lines_;
};

}  // namespace

void SplitScriptBlocks(std::string_view page, PieceWriter& lines) {
  if (page.empty()) return;
  StatementWriter writer(lines);
  if (StartsInsideBlock(page)) writer.AddPart({});
  const bool closeAtEnd = EndsInsideBlock(page);
  for (std::size_t start = 0;;) {
    const std::size_t open = FindFirst(page, kBlockOpen, start);
    if (open == kNotFound) {
      const std::string_view last = page.substr(start);
      if (closeAtEnd) {
        writer.AddClosedLastPart(last);
      } else {
        writer.AddPart(last);
      }
      return;
    }
    writer.AddPart(page.substr(start, open - start));
    start = open + kBlockOpen.size();
  }
}

}  // namespace aspclip
