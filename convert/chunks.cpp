#include "chunks.h"

#include <algorithm>

#include "base/scan.h"
#include "syntax.h"
#include "text_ops.h"
#include "write_merge.h"

namespace aspclip::inline ASPCLIP_SCAN_NAMESPACE {
namespace {

// A closing delimiter at `percent` that opens nothing: the "<" of an opening one is not in front.
bool PlainCloseAt(std::string_view page, std::size_t percent) {
  return ClosesAt(page, percent) && !OpensAt(page, percent);
}

// Markup with something to write: more than spaces and line breaks.
bool WritesSomething(std::string_view markup) {
  return markup.find_first_not_of(" \r\n") != kNotFound;
}

// The statement in front of `open` writes markup: the last percent sign before it closes a block,
// and the markup behind that sign, which ends the part before the cut, writes something.
bool MarkupWriteBefore(std::string_view page, std::size_t open) {
  const std::size_t close = FindLastOf(page, open, kPercent);
  return close != kNotFound && PlainCloseAt(page, close) &&
         WritesSomething(
             page.substr(close + kBlockClose.size(), open - close - kBlockClose.size()));
}

// The block behind the opening delimiter at `open` is closed before any other percent sign, and
// its code is neither an expression nor a write: a line of its own, as any state leaves it. Code
// that is no write alone is none with the line break of a statement behind it either.
bool PlainCodeBehind(std::string_view page, std::size_t open) {
  const std::size_t from = open + kBlockOpen.size();
  const std::size_t close = FindFirstOf(page, from, kPercent);
  if (close == kNotFound || !PlainCloseAt(page, close)) return false;
  const std::string_view code = page.substr(from, close - from);
  const std::size_t codeStart = std::min(code.find_first_not_of(' '), code.size());
  return !code.substr(codeStart).starts_with(kExpressionMark) &&
         !IsWriteLineAt(code, Following::kNothing);
}

// How far past a chunk's planned start a cut is looked for: a page with none so near, as one of
// expressions alone, has few or none, and a search through all of it would cost as much as a
// tenth of its conversion. Small chunks, as tests use, are searched a line or two further.
std::size_t CutSearchBytes(std::size_t chunkBytes) {
  constexpr std::size_t kShareSearched = 16, kLeastSearched = 256;
  return std::max(chunkBytes / kShareSearched, kLeastSearched);
}

}  // namespace

bool IsCleanCut(std::string_view page, std::size_t open) {
  return MarkupWriteBefore(page, open) && PlainCodeBehind(page, open);
}

std::vector<std::size_t> ChunkBounds(std::string_view page, std::size_t chunkBytes) {
  std::vector<std::size_t> bounds = {0};
  for (std::size_t planned = chunkBytes; planned < page.size(); planned += chunkBytes) {
    if (planned <= bounds.back()) continue;
    const std::string_view searched = page.substr(0, planned + CutSearchBytes(chunkBytes));
    for (std::size_t open = planned; (open = FindFirst(searched, kBlockOpen, open)) != kNotFound;
         ++open) {
      if (IsCleanCut(page, open)) {
        bounds.push_back(open);
        break;
      }
    }
  }
  bounds.push_back(page.size());
  return bounds;
}

}  // namespace aspclip::inline ASPCLIP_SCAN_NAMESPACE
