#include "markup_literal.h"

#include "scan.h"
#include "vb_syntax.h"

namespace aspclip {
namespace {

constexpr TextView kJoin = u"\" & vbCrLf & \"";
constexpr TextView kLiteralContinuation = u"\" & vbCrLf & _\r\n  \"";
// From the continuation's first character to the first of its two indentation spaces.
constexpr std::size_t kContinuationIndent = 16;

std::size_t NextSpecial(TextView content, std::size_t from) {
  return FindFirstOf(content, from, {kQuote, u'\r', kQuote, u'\r'});
}

}  // namespace

TextView MarkupContent(TextView markup) {
  while (markup.starts_with(kLineBreak))
    markup.remove_prefix(kLineBreak.size());
  while (markup.ends_with(kLineBreak))
    markup.remove_suffix(kLineBreak.size());
  const bool onlySpaces = markup.find_first_not_of(u' ') == TextView::npos;
  return onlySpaces ? TextView() : markup;
}

void AppendLiteral(TextView content, Text& out) {
  // Line positions count from the opening quote, which stands at position 0 of the line mark's
  // scale; the line mark moves to the indentation of each continuation.
  const std::size_t openingQuote = out.size();
  std::size_t lineMark = 0;
  out += kQuote;
  for (std::size_t i = 0; i < content.size();) {
    const std::size_t special = NextSpecial(content, i);
    out.append(content.substr(i, special - i));
    if (special == content.size()) break;
    if (content[special] == kQuote) {
      const std::size_t runEnd = RunEnd(content, special, kQuote);
      out.append(2 * (runEnd - special), kQuote);
      i = runEnd;
    } else if (LineBreakAt(content, special)) {
      const std::size_t breakPosition = out.size() - openingQuote;
      if (breakPosition - lineMark > kLineLimit) {
        out += kLiteralContinuation;
        lineMark = breakPosition + kContinuationIndent;
      } else {
        out += kJoin;
      }
      i = special + kLineBreak.size();
    } else {
      out += content[special];  // a lone CR is an ordinary character
      i = special + 1;
    }
  }
  out += kQuote;
}

std::size_t LiteralSizeBound(TextView content) {
  constexpr std::size_t kQuotes = 2, kPerBreak = kLiteralContinuation.size() - kLineBreak.size();
  return content.size() + kQuotes + CountOf(content, kQuote) + kPerBreak * CountOf(content, u'\r');
}

Text MarkupToLiteral(const Text& markup) {
  const TextView content = MarkupContent(markup);
  Text literal;
  literal.reserve(LiteralSizeBound(content));
  AppendLiteral(content, literal);
  return literal;
}

}  // namespace aspclip
