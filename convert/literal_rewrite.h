// Rewrites a word of Visual Basic code without touching the text of string literals.
#pragma once

#include "text_ops.h"

namespace aspclip {

// Replaces every `find` (CaseInsensitiveMatch, left to right, never rescanning `with`) that stands
// outside a string literal. Literals are found per physical line: a quote opens one, two quotes in
// a row inside it are an escaped quote, a single quote closes it, and a line break ends it. The
// space of a line continuation belongs to the continuation, so a match never ends on it; the text's
// final line break continues nothing.
void RewriteOutsideLiterals(Text& text, TextView find, TextView with);

}  // namespace aspclip
