#include "markup_literal.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <limits>

#include "base/scan.h"
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
// fewer bytes than UTF-16 units. Text known to be ASCII is as long as its bytes.
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
  bool PastLimit(std::string_view content, std::size_t end, bool ascii) const {
    const std::string_view text = content.substr(textFrom_, end - textFrom_);
    return Measure(text.size()) > kLineLimit && (ascii || Measure(Utf16Length(text)) > kLineLimit);
  }
  // The line's measure, up to kPastLimit, once its text runs to the end of `content` and the
  // closing quote follows.
  std::size_t MeasureWithClosingQuote(std::string_view content, bool ascii) const {
    const std::string_view text = content.substr(textFrom_);
    if (text.size() > kMostBytesPerUnit * kPastLimit) return kPastLimit;
    return std::min(Measure(ascii ? text.size() : Utf16Length(text)) + 1, kPastLimit);
  }

 private:
  // The line's measure when its text is `units` long, the line breaks that joins stand for
  // taken out of it.
  std::size_t Measure(std::size_t units) const {
    return extra_ + units - joins_ * kLineBreak.size();
  }

  std::size_t textFrom_ = 0, extra_ = 0, joins_ = 0;
};

// Writes a literal as its markup's quotes and line breaks are found, in order. Markup that stays as
// it is goes on in one piece from `copied_` up to and including each quote, and up to each line
// break; the next piece starts again at the quote, so that every quote is written twice.
template <typename Out>
class LiteralWriter {
 public:
  [[gnu::always_inline]] LiteralWriter(std::string_view content, Out& out)
      : content_(content), out_(out) {
    line_.Start(0, kFirstLineStart);
    out_.Put(kQuote);
  }

  // The quote at `at`.
  [[gnu::always_inline]] void Quote(std::size_t at) { Quotes(at, 1); }
  // `count` quotes in a row from `at`, as a long run of them makes: written twice at once.
  [[gnu::always_inline]] void Quotes(std::size_t at, std::size_t count) {
    CopyTo(at + count);
    copied_ = at;  // the quotes go out once more at the head of the next piece
    line_.AddQuotes(count);
  }
  // The line break at `at`: a join on vbCrLf, or once the line is past the limit a continuation.
  // `ascii` tells whether the markup read so far is ASCII.
  [[gnu::always_inline]] void LineBreak(std::size_t at, bool ascii) {
    CopyTo(at);
    copied_ = at + kLineBreak.size();
    if (line_.PastLimit(content_, at, ascii)) {
      out_.Put(kLiteralContinuation);
      line_.Start(copied_, kContinuedLineStart);
      continued_ = true;
    } else {
      out_.Put(kJoin);
      line_.AddJoin();
    }
  }
  // Writes the rest and the closing quote; the literal's measure (see MarkupToLiteral).
  [[gnu::always_inline]] std::size_t Close(bool ascii) {
    CopyTo(content_.size());
    out_.Put(kQuote);
    return continued_ ? kPastLimit : line_.MeasureWithClosingQuote(content_, ascii);
  }

 private:
  [[gnu::always_inline]] void CopyTo(std::size_t end) {
    out_.Put({content_.data() + copied_, end - copied_});
    copied_ = end;
  }

  std::string_view content_;
  Out& out_;
  LiteralLine line_;
  std::size_t copied_ = 0;
  bool continued_ = false;
};

// Reads the markup a window of `kWindow` bytes at a time for `writer`: the window's quotes and CRs
// found at once, as bits, and handed on in order; a window of quotes alone goes at once. The last
// bytes, fewer than a window, are read from a copy with zeros behind. Returns whether the markup is
// ASCII.
template <std::size_t kWindow, typename Writer>
[[gnu::always_inline]] inline bool ReadMarkupWindows(std::string_view content, Writer& writer) {
  constexpr std::uint64_t kWholeWindow =
      ~std::uint64_t{0} >> (std::numeric_limits<std::uint64_t>::digits - kWindow);
  const auto quoteMask = [](const char* block) { return BlockMask(block, StopBytes<1>{kQuote}); };
  bool ascii = true;
  char last[kWindow];
  for (std::size_t window = 0; window < content.size(); window += kWindow) {
    const char* at = content.data() + window;
    const std::size_t bytes = std::min(content.size() - window, kWindow);
    if (bytes < kWindow) {
      std::memset(last, 0, kWindow);
      piece_detail::CopyBytes(last, at, bytes);
      at = last;
    }
    ascii = ascii && WindowMask<kWindow>(at, BeyondAsciiMask) == 0;
    const std::uint64_t specials =
        WindowMask<kWindow>(at, [](const char* block) { return BlockMask(block, kSpecial); });
    if (specials == kWholeWindow && WindowMask<kWindow>(at, quoteMask) == kWholeWindow) {
      writer.Quotes(window, kWindow);
      continue;
    }
    ForEachBit(specials, [&](std::size_t bit) {
      const std::size_t special = window + bit;
      if (content[special] == kQuote) {
        writer.Quote(special);
      } else if (LineBreakAt(content, special)) {
        writer.LineBreak(special, ascii);
      }  // a lone CR is an ordinary character
    });
  }
  return ascii;
}

template <std::size_t kWindow, typename Out>
[[gnu::always_inline]] inline std::size_t BuildLiteral(std::string_view content, Out& out) {
  LiteralWriter<Out> writer(content, out);
  const bool ascii = ReadMarkupWindows<kWindow>(content, writer);
  return writer.Close(ascii);
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

// Most markup is short: its literal is written straight into room made for the most it can take,
// and it is read in one window no larger than it needs.
std::size_t MarkupToLiteral(std::string_view content, PieceWriter& out) {
  if (char* room = out.Room(kMostBytesPerByte * content.size() + kQuotesAround)) {
    RoomWriter direct(room);
    const std::size_t measure =
        content.size() <= kBlockBytes       ? BuildLiteral<kBlockBytes>(content, direct)
        : content.size() <= 2 * kBlockBytes ? BuildLiteral<2 * kBlockBytes>(content, direct)
                                            : BuildLiteral<kWindowBytes>(content, direct);
    out.Commit(direct.end());
    return measure;
  }
  return BuildLiteral<kWindowBytes>(content, out);
}

}  // namespace aspclip::inline ASPCLIP_SCAN_NAMESPACE
