// The first pass: cuts the page at its script blocks into statement lines.
#pragma once

#include "text_ops.h"

namespace aspclip {

// Rewrites the page into statement lines, each a line break followed by its text: script code as
// written, "Response.Write " with the expression of each expression block, and "Response.Write "
// with the literal of each markup piece that has something to write.
void SplitScriptBlocks(Text& page);

}  // namespace aspclip
