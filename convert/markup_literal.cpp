#include "markup_literal.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

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

// The most bytes of UTF-8 that one UTF-16 unit stands for: a character of three bytes is one unit
// (one of four is two). A text of more bytes than this many times a measure is longer than it.
constexpr std::size_t kMostBytesPerUnit = 3;
constexpr std::size_t kPastLimit = kLineLimit + 1;

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
  // The line's measure, up to kPastLimit, once its text runs to the end of `content` and the
  // closing quote follows.
  std::size_t MeasureWithClosingQuote(std::string_view content) const {
    const std::string_view text = content.substr(textFrom_);
    if (text.size() > kMostBytesPerUnit * kPastLimit) return kPastLimit;
    return std::min(Measure(Utf16Length(text)) + 1, kPastLimit);
  }

 private:
  // The line's measure when its text is `units` long, the line breaks that joins stand for
  // taken out of it.
  std::size_t Measure(std::size_t units) const {
    return extra_ + units - joins_ * kLineBreak.size();
  }

  std::size_t textFrom_ = 0, extra_ = 0, joins_ = 0;
};

// Puts the first `size` bytes of the block at `at` with each quote that `quotes` marks written
// twice, and returns how many quotes that is. Each stretch up to and including a quote goes with
// one move of a block's size, whose bytes beyond the stretch the next move overwrites.
template <typename Out>
std::size_t PutQuotesDoubled(const char* at, std::size_t size, std::uint32_t quotes, Out& out) {
  char block[2 * kBlockBytes] = {};
  std::memcpy(block, at, kBlockBytes);
  char doubled[3 * kBlockBytes];
  std::size_t written = 0, from = 0;
  for (; quotes != 0; quotes &= quotes - 1) {
    const std::size_t quote = FirstBit(quotes);
    std::memcpy(doubled + written, block + from, kBlockBytes);
    written += quote + 1 - from;
    doubled[written++] = kQuote;
    from = quote + 1;
  }
  std::memcpy(doubled + written, block + from, kBlockBytes);
  written += size - from;
  out.Put({doubled, written});
  return written - size;
}

// Markup that stays as it is goes on in one piece from `copied` up to the end of each run of
// quotes and up to each line break; the next piece starts again at the run's first quote, so that
// every quote is written twice.
template <typename Out>
std::size_t BuildLiteral(std::string_view content, Out& out) {
  bool continued = false;
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
    if (content[special] == kQuote && content.size() - special >= kBlockBytes &&
        content[special + 1] != kQuote) {
      // Markup holds its quotes alone and close together, in attributes: a block's worth from
      // this one on, up to a line break, goes at once. A run of quotes goes as a run, below.
      const char* at = content.data() + special;
      const std::uint32_t crs = BlockMask(at, StopBytes<1>{'\r'});
      const std::size_t size = crs != 0 ? FirstBit(crs) : kBlockBytes;
      const std::uint32_t quotes = BlockMask(at, StopBytes<1>{kQuote}) & LowBits(size);
      copyTo(special);
      line.AddQuotes(PutQuotesDoubled(at, size, quotes, out));
      i = copied = special + size;
    } else if (content[special] == kQuote) {
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
        continued = true;
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
  return continued ? kPastLimit : line.MeasureWithClosingQuote(content);
}

// The most bytes a literal takes for each byte of its markup: a line break of two bytes may
// become a continuation; a quote becomes two.
constexpr std::size_t kMostBytesPerByte =
    (kLiteralContinuation.size() + kLineBreak.size() - 1) / kLineBreak.size();
static_assert(kMostBytesPerByte >= 2, "a quote is written twice");
constexpr std::size_t kQuotesAround = 2;

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

// Most markup is short: its literal is written straight into room made for the most it can take.
std::size_t MarkupToLiteral(std::string_view content, PieceWriter& out) {
  if (char* room = out.Room(kMostBytesPerByte * content.size() + kQuotesAround)) {
    RoomWriter direct(room);
    const std::size_t measure = BuildLiteral(content, direct);
    out.Commit(direct.end());
    return measure;
  }
  return BuildLiteral(content, out);
}

}  // namespace aspclip::inline ASPCLIP_SCAN_NAMESPACE
