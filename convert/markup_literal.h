// Turns page markup into a Visual Basic string-literal expression that yields the same characters.
#pragma once

#include <cstddef>
#include <string_view>

#include "stage.h"

namespace aspclip::inline ASPCLIP_SCAN_NAMESPACE {

// The markup without the line breaks at its start and end; empty when nothing but spaces remains,
// which is markup with nothing to write.
std::string_view MarkupContent(std::string_view markup);

// Writes the literal of `content`: quotes doubled, each line break a join on vbCrLf or, once the
// generated line has grown past the limit, a continuation onto an indented new line. Returns its
// measure as a merged statement's line counts it: its length in UTF-16 units, and one more than
// the limit wherever that is passed, as it is once the literal has been continued.
std::size_t MarkupToLiteral(std::string_view content, PieceWriter& out);

}  // namespace aspclip::inline ASPCLIP_SCAN_NAMESPACE
