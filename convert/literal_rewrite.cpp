#include "literal_rewrite.h"

#include "vb_syntax.h"

namespace aspclip {
namespace {

// Copies the text on demand: a text with nothing to rewrite is never copied.
class LazyRewrite {
 public:
  explicit LazyRewrite(TextView source) : source_(source) {}

  void Replace(std::size_t at, std::size_t length, TextView with) {
    if (!started_) {
      result_.reserve(source_.size() + source_.size() / 8);
      started_ = true;
    }
    result_.append(source_.substr(copied_, at - copied_)).append(with);
    copied_ = at + length;
  }

  void Finish(Text& text) {
    if (!started_) return;
    result_.append(source_.substr(copied_));
    text = std::move(result_);
  }

 private:
  TextView source_;
  Text result_;
  std::size_t copied_ = 0;
  bool started_ = false;
};

// The text's final line break ends the text, so a " _" before it joins no further line.
bool EndsOnContinuation(TextView text, std::size_t matchEnd) {
  const std::size_t space = matchEnd - 1;
  return ContinuationAt(text, space) && space + kContinuation.size() < text.size();
}

}  // namespace

void RewriteOutsideLiterals(Text& text, TextView find, TextView with) {
  const TextView source = text;
  const char16_t first = FoldCase(find.front());
  LazyRewrite rewrite(source);
  bool inLiteral = false;
  for (std::size_t i = 0; i < source.size();) {
    const char16_t c = source[i];
    if (LineBreakAt(source, i)) {
      inLiteral = false;
      i += kLineBreak.size();
    } else if (c == kQuote) {
      const bool escapedQuote = inLiteral && i + 1 < source.size() && source[i + 1] == kQuote;
      if (escapedQuote) {
        i += 2;
      } else {
        inLiteral = !inLiteral;
        ++i;
      }
    } else if (!inLiteral && FoldCase(c) == first &&
               MatchesAt(source, i, find, CaseInsensitiveMatch) &&
               !EndsOnContinuation(source, i + find.size())) {
      rewrite.Replace(i, find.size(), with);
      i += find.size();
    } else {
      ++i;
    }
  }
  rewrite.Finish(text);
}

}  // namespace aspclip
