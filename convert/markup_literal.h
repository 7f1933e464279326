// Turns page markup into a Visual Basic string-literal expression that yields the same characters.
#pragma once

#include <cstddef>

#include "text_ops.h"

namespace aspclip {

// The markup without the line breaks at its start and end; empty when nothing but spaces remains,
// which is markup with nothing to write.
TextView MarkupContent(TextView markup);

// Appends the literal of `content` to `out`: quotes doubled, each line break a join on vbCrLf or,
// once the generated line has grown past the limit, a continuation onto an indented new line.
void AppendLiteral(TextView content, Text& out);

// No literal of `content` is longer: each quote is doubled and each line break becomes at most a
// continuation, between the two enclosing quotes.
std::size_t LiteralSizeBound(TextView content);

// The literal of one markup piece; two quotes alone where the markup has nothing to write.
Text MarkupToLiteral(const Text& markup);

}  // namespace aspclip
