// The first stage: cuts the page at its script blocks into statement lines.
#pragma once

#include <cstddef>
#include <string_view>

#include "statements.h"

namespace aspclip::inline ASPCLIP_SCAN_NAMESPACE {

// Hands `statements` the page's statements in order: the code of each script block as written, a
// write of each expression block's expression, and a write of each markup piece that has
// something to write. (Built for the write-merging stage and for StatementLines.)
template <StatementSink Statements>
void SplitScriptBlocks(std::string_view page, Statements& statements);

// The statements of the chunk of the page from `from` up to `to`: each bound is the page's start or
// end, or an opening delimiter where the page may be cut.
template <StatementSink Statements>
void SplitScriptBlocks(std::string_view page, std::size_t from, std::size_t to,
                       Statements& statements);

}  // namespace aspclip::inline ASPCLIP_SCAN_NAMESPACE
