#include "markup_literal.h"

#include "scan.h"
#include "vb_syntax.h"

namespace aspclip {
namespace {

constexpr std::string_view kJoin = "\" & vbCrLf & \"";
constexpr std::string_view kLiteralContinuation = "\" & vbCrLf & _\r\n  \"";
// What a continued line holds before its text: the indentation and the reopening quote.
constexpr std::size_t kContinuedLineStart =
    kLiteralContinuation.size() - kLiteralContinuation.rfind('\n') - 1;
// The first line holds its opening quote.
constexpr std::size_t kFirstLineStart = 1;

constexpr StopBytes<2> kSpecial = {kQuote, '\r'};

}  // namespace

std::string_view MarkupContent(std::string_view markup) {
  while (LineBreakAt(markup, 0))
    markup.remove_prefix(kLineBreak.size());
  while (markup.size() >= kLineBreak.size() &&
         LineBreakAt(markup, markup.size() - kLineBreak.size()))
    markup.remove_suffix(kLineBreak.size());
  const bool onlySpaces = markup.find_first_not_of(' ') == kNotFound;
  return onlySpaces ? std::string_view() : markup;
}

// Markup that stays as it is goes on in one piece from `copied` up to the end of each run of
// quotes, which is then written once more, and up to each line break.
void MarkupToLiteral(std::string_view content, PieceWriter& out) {
  std::size_t line = kFirstLineStart;  // the generated line's measure
  out.Put(kQuote);
  std::size_t copied = 0;
  const auto copyTo = [&](std::size_t end) {
    out.Put(content.substr(copied, end - copied));
    copied = end;
  };
  for (std::size_t i = 0;;) {
    const std::size_t special = FindFirstOfMeasuring(content, i, kSpecial, line);
    if (special == kNotFound) break;
    if (content[special] == kQuote) {
      const std::size_t quotes = RunEnd(content, special, kQuote) - special;
      copyTo(special + quotes);
      out.PutRepeated(kQuote, quotes);
      line += 2 * quotes;
      i = copied;
    } else if (LineBreakAt(content, special)) {
      copyTo(special);
      if (line > kLineLimit) {
        out.Put(kLiteralContinuation);
        line = kContinuedLineStart;
      } else {
        out.Put(kJoin);
        line += kJoin.size();
      }
      i = copied = special + kLineBreak.size();
    } else {
      ++line;  // a lone CR is an ordinary character
      i = special + 1;
    }
  }
  copyTo(content.size());
  out.Put(kQuote);
}

}  // namespace aspclip
