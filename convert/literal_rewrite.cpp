#include "literal_rewrite.h"

#include <algorithm>
#include <vector>

#include "scan.h"
#include "vb_syntax.h"

namespace aspclip {
namespace {

// The text's final line break ends the text, so a " _" before it joins no further line.
bool EndsOnContinuation(TextView text, std::size_t matchEnd) {
  const std::size_t space = matchEnd - 1;
  return ContinuationAt(text, space) && space + kContinuation.size() < text.size();
}

// Within a line every quote toggles between code and literal: an escaped quote is two of them in
// a row, which leaves the literal open, just as two quotes make an empty literal in code. So the
// state after a run of quotes depends only on whether the run is odd.
std::vector<std::size_t> FindOutsideLiterals(TextView text, TextView find) {
  std::vector<std::size_t> matches;
  const char16_t lower = FoldCase(find.front());
  const char16_t upper = lower >= u'a' && lower <= u'z' ? lower - (u'a' - u'A') : lower;
  const StopUnits inCode = {kQuote, u'\r', lower, upper};
  const StopUnits inLiteral = {kQuote, u'\r', kQuote, u'\r'};
  const char16_t* const data = text.data();
  const std::size_t size = text.size();
  bool literal = false;
  for (std::size_t i = 0; i < size;) {
    i = FindFirstOf(text, i, literal ? inLiteral : inCode);
    if (i == size) break;
    const char16_t c = data[i];
    if (c == kQuote) {
      const std::size_t runStart = i;
      i = RunEnd(text, i, kQuote);
      literal ^= (i - runStart) % 2 == 1;
    } else if (c == u'\r') {
      if (LineBreakAt(text, i)) literal = false;
      ++i;
    } else if (MatchesAt(text, i, find, CaseInsensitiveMatch) &&
               !EndsOnContinuation(text, i + find.size())) {
      matches.push_back(i);
      i += find.size();
    } else {
      ++i;
    }
  }
  return matches;
}

// Replaces in place: a shorter `with` moves the text between matches forward.
void ReplaceShrinking(Text& text, const std::vector<std::size_t>& matches, std::size_t findSize,
                      TextView with) {
  char16_t* const data = text.data();
  std::size_t write = matches.front();
  for (std::size_t k = 0; k < matches.size(); ++k) {
    write = std::copy(with.begin(), with.end(), data + write) - data;
    const std::size_t from = matches[k] + findSize;
    const std::size_t to = k + 1 < matches.size() ? matches[k + 1] : text.size();
    write = std::copy(data + from, data + to, data + write) - data;
  }
  text.resize(write);
}

// Replaces in place: the text grows once, and the text between matches moves back from the end.
void ReplaceGrowing(Text& text, const std::vector<std::size_t>& matches, std::size_t findSize,
                    TextView with) {
  const std::size_t oldSize = text.size();
  text.resize(oldSize + matches.size() * (with.size() - findSize));
  char16_t* const data = text.data();
  std::size_t readEnd = oldSize;
  std::size_t writeEnd = text.size();
  for (std::size_t k = matches.size(); k-- > 0;) {
    const std::size_t from = matches[k] + findSize;
    writeEnd = std::copy_backward(data + from, data + readEnd, data + writeEnd) - data;
    writeEnd -= with.size();
    std::copy(with.begin(), with.end(), data + writeEnd);
    readEnd = matches[k];
  }
}

}  // namespace

void RewriteOutsideLiterals(Text& text, TextView find, TextView with) {
  const std::vector<std::size_t> matches = FindOutsideLiterals(text, find);
  if (matches.empty()) return;
  if (with.size() <= find.size()) {
    ReplaceShrinking(text, matches, find.size(), with);
  } else {
    ReplaceGrowing(text, matches, find.size(), with);
  }
}

}  // namespace aspclip
