#include "script_blocks.h"

#include <algorithm>

#include "markup_literal.h"
#include "syntax.h"
#include "text_ops.h"
#include "write_merge.h"
#if defined(ASPCLIP_THREADS)
#include "statement_queue.h"
#endif

namespace aspclip::inline ASPCLIP_SCAN_NAMESPACE {
namespace {

// The first or the last opening and closing delimiters, found in one scan of the percent signs
// from the page's start or from its end.
struct Delimiters {
  std::size_t open = kNotFound, close = kNotFound;
  bool Both() const { return open != kNotFound && close != kNotFound; }
};
Delimiters FirstDelimiters(std::string_view page) {
  Delimiters first;
  for (std::size_t percent = 0;
       !first.Both() && (percent = FindFirstOf(page, percent, kPercent)) != kNotFound; ++percent) {
    if (first.open == kNotFound && OpensAt(page, percent)) first.open = percent - 1;
    if (first.close == kNotFound && ClosesAt(page, percent)) first.close = percent;
  }
  return first;
}
Delimiters LastDelimiters(std::string_view page) {
  Delimiters last;
  for (std::size_t percent = page.size();
       !last.Both() && (percent = FindLastOf(page, percent, kPercent)) != kNotFound;) {
    if (last.open == kNotFound && OpensAt(page, percent)) last.open = percent - 1;
    if (last.close == kNotFound && ClosesAt(page, percent)) last.close = percent;
  }
  return last;
}

template <StatementSink Statements>
class StatementWriter {
 public:
  explicit StatementWriter(Statements& statements) : statements_(statements) {}

  void AddMarkup(std::string_view markup) {
    if (markup.empty()) return;  // as between two blocks that touch
    const std::string_view content = MarkupContent(markup);
    if (content.empty()) return;
    statements_.Add({StatementKind::kMarkupWrite, content});
  }

  // This and AddPart are inlined into the scan of the page, as parts are often a few bytes long.
  [[gnu::always_inline]] void AddCode(std::string_view code) {
    const std::string_view trimmed =
        code.substr(std::min(code.find_first_not_of(' '), code.size()));
    if (trimmed.starts_with(kExpressionMark)) {
      statements_.Add({StatementKind::kExpressionWrite, trimmed.substr(1)});
    } else {
      statements_.Add({StatementKind::kCode, code});
    }
  }

  // A part is the text behind one opening delimiter: the block's code, then the markup behind its
  // closing delimiter. Everything behind the first closing delimiter is markup, later closing
  // delimiters included, so no text of the page is lost.
  void AddPart(std::string_view part) { AddPart(part, FindFirst(part, kBlockClose, 0)); }

  // The part, whose first closing delimiter is at `close`.
  [[gnu::always_inline]] void AddPart(std::string_view part, std::size_t close) {
    if (part.empty()) {
      statements_.Add({StatementKind::kCode, {}});
      return;
    }
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
  Statements& statements_;
};

}  // namespace

// One scan finds both delimiters by their percent sign: each part's first closing delimiter, and
// the opening delimiter that ends the part. A percent sign that opens a block closes none. A
// chunk is the page up to `to` from its start or from a cut: every opening delimiter starts a
// part, so a cut at one ends the part before it.
template <StatementSink Statements>
void SplitScriptBlocks(std::string_view page, std::size_t from, std::size_t to,
                       Statements& statements) {
  if (page.empty()) return;
  StatementWriter writer(statements);
  std::size_t start = from + kBlockOpen.size();  // the part's start
  if (from == 0) {
    const Delimiters first = FirstDelimiters(page);
    if (first.open == kNotFound) {  // all markup, a closing delimiter in it or not
      writer.AddPart(page, first.close);
      return;
    }
    // A closing delimiter before the first opening one, or none at all behind it, means the page
    // starts inside a block: it is read as if an opening delimiter stood in front.
    if (first.close == kNotFound || first.close < first.open) writer.AddPart({});
    start = 0;
  }
  const std::string_view chunk = page.substr(0, to);
  std::size_t close = kNotFound;  // the part's first closing delimiter
  ForEachOf(chunk, start, kPercent, [&](std::size_t percent) {
    if (percent > start && OpensAt(chunk, percent)) {
      const std::size_t open = percent - 1;
      writer.AddPart(chunk.substr(start, open - start), close == kNotFound ? close : close - start);
      start = open + kBlockOpen.size();
      close = kNotFound;
    } else if (close == kNotFound && ClosesAt(chunk, percent)) {
      close = percent;
    }
  });
  const std::string_view lastPart = chunk.substr(start);
  // An opening delimiter after the last closing one means the page ends inside a block: it is
  // read as if a closing delimiter stood at its end.
  const Delimiters last = to == page.size() ? LastDelimiters(page) : Delimiters{};
  if (last.open != kNotFound && (last.close == kNotFound || last.close < last.open)) {
    writer.AddClosedLastPart(lastPart);
  } else {
    writer.AddPart(lastPart, close == kNotFound ? close : close - start);
  }
}

template <StatementSink Statements>
void SplitScriptBlocks(std::string_view page, Statements& statements) {
  SplitScriptBlocks(page, 0, page.size(), statements);
}

template void SplitScriptBlocks(std::string_view page, WriteMerger& statements);
template void SplitScriptBlocks(std::string_view page, std::size_t from, std::size_t to,
                                WriteMerger& statements);
template void SplitScriptBlocks(std::string_view page, StatementLines& statements);
// The queue to a merging thread, where there are threads (see convert/CMakeLists.txt).
#if defined(ASPCLIP_THREADS)
template void SplitScriptBlocks(std::string_view page, StatementQueue& statements);
#endif

}  // namespace aspclip::inline ASPCLIP_SCAN_NAMESPACE
