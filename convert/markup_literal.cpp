#include "markup_literal.h"

#include "scan/scan.h"
#include "syntax.h"

namespace aspclip::inline ASPCLIP_SCAN_NAMESPACE {
namespace {

constexpr std::string_view kJoin = "\" & vbCrLf & \"";
constexpr std::string_view kLiteralContinuation = "\" & vbCrLf & _\r\n  \"";
// What a continued line holds before its text: the indentation and the reopening quote.
constexpr std::size_t kContinuedLineStart =
    kLiteralContinuation.size() - kLiteralContinuation.rfind('\n') - 1;
// The first line holds its opening quote.
constexpr std::size_t kFirstLineStart = 1;

constexpr StopBytes<2> kSpecial = {kQuote, '\r'};

// The generated line a literal is writing: where its text in the markup starts, and what it holds
// beyond that text. It is measured only where a line break must choose between a join and a
// continuation, and then by its bytes while they show it within the limit: no character takes
// fewer bytes than UTF-16 units.
class LiteralLine {
 public:
  void Start(std::size_t textFrom, std::size_t units) {
    textFrom_ = textFrom;
    extra_ = units;
    joins_ = 0;
  }
  void AddQuotes(std::size_t quotes) { extra_ += quotes; }  // each written twice
  void AddJoin() {
    extra_ += kJoin.size();
    ++joins_;
  }
  bool PastLimit(std::string_view content, std::size_t end) const {
    const std::string_view text = content.substr(textFrom_, end - textFrom_);
    return Measure(text.size()) > kLineLimit && Measure(Utf16Length(text)) > kLineLimit;
  }

 private:
  // The line's measure when its text is `units` long, the line breaks that joins stand for
  // taken out of it.
  std::size_t Measure(std::size_t units) const {
    return extra_ + units - joins_ * kLineBreak.size();
  }

  std::size_t textFrom_ = 0, extra_ = 0, joins_ = 0;
};

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
// quotes and up to each line break; the next piece starts again at the run's first quote, so that
// every quote is written twice.
void MarkupToLiteral(std::string_view content, PieceWriter& out) {
  LiteralLine line;
  line.Start(0, kFirstLineStart);
  out.Put(kQuote);
  std::size_t copied = 0;
  const auto copyTo = [&](std::size_t end) {
    out.Put(content.substr(copied, end - copied));
    copied = end;
  };
  for (std::size_t i = 0;;) {
    const std::size_t special = FindFirstOf(content, i, kSpecial);
    if (special == kNotFound) break;
    if (content[special] == kQuote) {
      const std::size_t runEnd = RunEnd(content, special, kQuote);
      copyTo(runEnd);
      copied = special;  // the run goes out once more at the head of the next copy
      line.AddQuotes(runEnd - special);
      i = runEnd;
    } else if (LineBreakAt(content, special)) {
      copyTo(special);
      i = copied = special + kLineBreak.size();
      if (line.PastLimit(content, special)) {
        out.Put(kLiteralContinuation);
        line.Start(i, kContinuedLineStart);
      } else {
        out.Put(kJoin);
        line.AddJoin();
      }
    } else {
      i = special + 1;  // a lone CR is an ordinary character
    }
  }
  copyTo(content.size());
  out.Put(kQuote);
}

}  // namespace aspclip::inline ASPCLIP_SCAN_NAMESPACE
