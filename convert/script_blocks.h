// The first stage: cuts the page at its script blocks into statement lines.
#pragma once

#include <string_view>

#include "stage.h"

namespace aspclip::inline ASPCLIP_SCAN_NAMESPACE {

// Writes the page as statement lines, each a line break followed by its text: script code as
// written, "Response.Write " with the expression of each expression block, and "Response.Write "
// with the literal of each markup piece that has something to write.
void SplitScriptBlocks(std::string_view page, PieceWriter& lines);

}  // namespace aspclip::inline ASPCLIP_SCAN_NAMESPACE
