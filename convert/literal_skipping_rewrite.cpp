#include "literal_skipping_rewrite.h"

#include "scan.h"
#include "text_ops.h"
#include "vb_syntax.h"

namespace aspclip {
namespace {

struct Rewrite {
  CaseInsensitiveWord find;
  std::string_view with;
};

// Neither word can begin inside the other or inside the other's replacement, so one scan does
// both as if each ran over the whole text in turn.
constexpr Rewrite kWriteRewrite = {CaseInsensitiveWord(kWriteStatement), kOutputAppend};
constexpr Rewrite kObjectRewrite = {CaseInsensitiveWord(kObjectCreation), kPlainObjectCreation};

constexpr char Upper(char c) {
  return static_cast<char>(c - ('a' - 'A'));
}
constexpr char kWriteInitial = FoldCase(kWriteStatement[0]);
constexpr char kObjectInitial = FoldCase(kObjectCreation[0]);

constexpr StopBytes<2> kInLiteral = {kQuote, '\r'};
// In code a word may begin too. Both words have the same second letter, which most letters that
// begin neither have behind them.
static_assert(FoldCase(kWriteStatement[1]) == FoldCase(kObjectCreation[1]));
constexpr StopBytes<4> kInitials = {kWriteInitial, Upper(kWriteInitial), kObjectInitial,
                                    Upper(kObjectInitial)};
constexpr char kSecond = FoldCase(kWriteStatement[1]);
constexpr StopBytes<2> kSeconds = {kSecond, Upper(kSecond)};

// A word that ends on the space of a continuation is no word; at the text's very end the line
// break continues nothing. Unless nothing follows, the text holds the continuation and more.
bool EndsOnContinuation(std::string_view text, std::size_t wordEnd) {
  const std::size_t space = wordEnd - 1;
  return ContinuationAt(text, space) && space + kContinuation.size() < text.size();
}

}  // namespace

// Where the next word may begin, in the block of 16 bytes at `i`, or where the scan goes on after
// the block's first line break or its end when none may. A literal is told apart from code by the
// parity of the quotes before each byte, up to the first line break, which ends any literal.
LiteralSkippingRewriter::BlockStep LiteralSkippingRewriter::NextInBlock(std::string_view text,
                                                                        std::size_t i) {
  const char* at = text.data() + i;
  const std::uint32_t quotes = BlockMask(at, StopBytes<1>{kQuote});
  const std::uint32_t lineBreaks =
      BlockMask(at, StopBytes<1>{'\r'}) & BlockMask(at + 1, StopBytes<1>{'\n'});
  const std::uint32_t words = BlockMask(at, kInitials) & BlockMask(at + 1, kSeconds);
  const std::uint32_t beforeBreak = lineBreaks != 0 ? (lineBreaks & -lineBreaks) - 1 : kBlockAll;
  const std::uint32_t parity = PrefixParity(quotes);
  const std::uint32_t inLiteral = inLiteral_ ? ~parity & kBlockAll : parity;
  if (const std::uint32_t inCode = words & ~inLiteral & beforeBreak; inCode != 0) {
    inLiteral_ = false;
    return {i + static_cast<std::size_t>(__builtin_ctz(inCode)), true};
  }
  if (lineBreaks != 0) {
    inLiteral_ = false;  // the line break's LF is an ordinary byte
    return {i + static_cast<std::size_t>(__builtin_ctz(lineBreaks)) + 1, false};
  }
  inLiteral_ ^= (parity >> (kBlockBytes - 1)) & 1;
  return {i + kBlockBytes, false};
}

// Text that stays as it is goes on in one piece from `copied` up to each rewritten word.
std::size_t LiteralSkippingRewriter::Take(std::string_view text, bool final) {
  std::size_t copied = 0;
  const auto stopAt = [&](std::size_t at) {
    out_.Put(text.substr(copied, at - copied));
    return at;
  };
  for (std::size_t i = 0;;) {
    if (text.size() - i > kBlockBytes) {  // the block, and the byte behind it
      const BlockStep step = NextInBlock(text, i);
      i = step.next;
      if (!step.word) continue;
    } else {
      i = inLiteral_ ? FindFirstOf(text, i, kInLiteral)
                     : FindFirstOfOrPair(text, i, kInLiteral, kInitials, kSeconds);
    }
    if (i == kNotFound) return stopAt(text.size());
    const char c = text[i];
    if (c == kQuote) {
      // Every quote toggles: an escaped quote is two in a row, which leaves the literal open.
      const std::size_t runEnd = RunEnd(text, i, kQuote);
      inLiteral_ ^= (runEnd - i) % 2 == 1;
      i = runEnd;
    } else if (c == '\r') {
      if (i + 1 == text.size() && !final) return stopAt(i);  // its LF may come with the next piece
      if (LineBreakAt(text, i)) inLiteral_ = false;
      ++i;
    } else {
      const Rewrite& rewrite = FoldCase(c) == kWriteInitial ? kWriteRewrite : kObjectRewrite;
      if (text.size() - i < rewrite.find.size() + kContinuation.size() && !final) return stopAt(i);
      if (rewrite.find.MatchesAt(text, i) && !EndsOnContinuation(text, i + rewrite.find.size())) {
        stopAt(i);
        out_.Put(rewrite.with);
        i += rewrite.find.size();
        copied = i;
      } else {
        ++i;
      }
    }
  }
}

}  // namespace aspclip
