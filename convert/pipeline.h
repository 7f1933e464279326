// The engine's one entry: a page source in, Visual Basic that builds its output in OutputString
// out.
#pragma once

#include <string_view>

#include "pieces.h"

namespace aspclip {

// Converts the page, valid UTF-8 (or WTF-8) with CR LF line breaks, and hands the code to `sink` a
// piece at a time. Every page converts; there is no failure.
void ConvertAspCode(std::string_view page, CodeSink& sink);

}  // namespace aspclip
