// The engine's one entry: a page source in, Visual Basic that builds its output in OutputString
// out.
#pragma once

#include "text_ops.h"

namespace aspclip {

// Rewrites the page in place. Every text converts; there is no failure.
void ConvertAspCode(Text& text);

}  // namespace aspclip
