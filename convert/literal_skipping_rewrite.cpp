#include "literal_skipping_rewrite.h"

#include <algorithm>
#include <optional>

#include "base/scan.h"
#include "text_ops.h"

namespace aspclip::inline ASPCLIP_SCAN_NAMESPACE {
namespace {

struct Rewrite {
  CaseInsensitiveWord find;
  std::string_view with;
};

// Neither word can begin inside the other or inside the other's replacement, so one scan does
// both as if each ran over the whole text in turn.
constexpr Rewrite kWriteRewrite = {CaseInsensitiveWord(kWriteStatement), kOutputAppend};
constexpr Rewrite kObjectRewrite = {CaseInsensitiveWord(kObjectCreation), kPlainObjectCreation};

// A word is searched by its dot, which code holds far more rarely than a word's first letters,
// and told by the letter behind it.
constexpr char kDot = '.';
constexpr std::size_t kWriteDot = kWriteStatement.find(kDot);
constexpr std::size_t kObjectDot = kObjectCreation.find(kDot);
constexpr char kWriteFollower = FoldCase(kWriteStatement[kWriteDot + 1]);
constexpr char kObjectFollower = FoldCase(kObjectCreation[kObjectDot + 1]);
static_assert(kWriteFollower != kObjectFollower, "the letter behind the dot tells the words apart");

// A word that ends on the space of a continuation is no word; at the text's very end the line
// break continues nothing. Unless nothing follows, the text holds the continuation and more.
bool EndsOnContinuation(std::string_view text, std::size_t wordEnd) {
  const std::size_t space = wordEnd - 1;
  return ContinuationAt(text, space) && space + kContinuation.size() < text.size();
}

// Where the word whose dot is at `dot` would begin, and which word it would be; none when the
// letter behind the dot begins neither or the text before the dot is too short.
struct Candidate {
  std::size_t start;
  const Rewrite* rewrite;
};
std::optional<Candidate> CandidateAt(std::string_view text, std::size_t dot) {
  if (dot + 1 == text.size()) return std::nullopt;
  const char follower = FoldCase(text[dot + 1]);
  if (follower == kWriteFollower && dot >= kWriteDot) {
    return Candidate{dot - kWriteDot, &kWriteRewrite};
  }
  if (follower == kObjectFollower && dot >= kObjectDot) {
    return Candidate{dot - kObjectDot, &kObjectRewrite};
  }
  return std::nullopt;
}

}  // namespace

// Whether `at` lies inside a literal, given whether `known`, before it, does. The last line break
// before `at` ends any literal, and every quote behind it toggles: an escaped quote is two in a
// row, which leaves the literal open. A CR is a line break when an LF stands behind it.
bool LiteralSkippingRewriter::LiteralAt(std::string_view text, std::size_t known,
                                        std::size_t at) const {
  bool literal = inLiteral_;
  std::size_t lineStart = known;
  for (std::size_t end = at - known; end > 0;) {
    const std::size_t cr = FindLastOf(text.substr(known), end, '\r');
    if (cr == kNotFound) break;
    if (LineBreakAt(text, known + cr)) {
      literal = false;
      lineStart = known + cr + 1;
      break;
    }
    end = cr;
  }
  return literal != OddCountOf(text.substr(lineStart, at - lineStart), kQuote);
}

// Text that stays as it is goes on in one piece from `copied` up to each rewritten word. The
// literal state is worked out only where a word stands, and where the text taken ends.
std::size_t LiteralSkippingRewriter::Take(std::string_view text, bool final) {
  // A word that begins before `end` has behind it all the text that judging it needs.
  const std::size_t end = final ? text.size() : text.size() - std::min(text.size(), kLookAhead);
  std::size_t copied = 0, known = 0;  // inLiteral_ holds at `known`
  for (std::size_t dot = 0; (dot = FindFirstOfFar(text, dot, kDot)) != kNotFound; ++dot) {
    const std::optional<Candidate> word = CandidateAt(text, dot);
    if (!word || word->start < known || word->start >= end) continue;
    const Rewrite& rewrite = *word->rewrite;
    const std::size_t wordEnd = word->start + rewrite.find.size();
    if (!rewrite.find.MatchesAt(text, word->start) || EndsOnContinuation(text, wordEnd)) continue;
    inLiteral_ = LiteralAt(text, known, word->start);
    known = word->start;
    if (inLiteral_) continue;
    out_.Put(text.substr(copied, word->start - copied));
    out_.Put(rewrite.with);
    copied = known = wordEnd;  // the word holds no quote or line break: the text behind it is code
  }
  const std::size_t taken = std::max(end, copied);  // a word rewritten may reach past `end`
  inLiteral_ = LiteralAt(text, known, taken);
  out_.Put(text.substr(copied, taken - copied));
  return taken;
}

}  // namespace aspclip::inline ASPCLIP_SCAN_NAMESPACE
