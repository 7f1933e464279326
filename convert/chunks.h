// Where a page may be cut into chunks that convert on their own: the code of the page is the code
// of its chunks, one after the other.
#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

#include "stage.h"

namespace aspclip::inline ASPCLIP_SCAN_NAMESPACE {

// Whether the page may be cut at the opening delimiter at `open`. It may where the statement in
// front is a write of markup, which ends its line with a quote, and the code of the block behind
// is a plain line of code, which starts a line of its own whatever stands before it: then neither
// side's code depends on the other.
bool IsCleanCut(std::string_view page, std::size_t open);

// The page's start, the first clean cut a short way on from each multiple of `chunkBytes` beyond
// the cut before, and the page's end.
std::vector<std::size_t> ChunkBounds(std::string_view page, std::size_t chunkBytes);

}  // namespace aspclip::inline ASPCLIP_SCAN_NAMESPACE
