// Runs the engine, or some of its stages, on UTF-16 text as the rule tables and the reference
// write it: the text goes in as WTF-8, and what comes out is read back as UTF-16.
#pragma once

#include "reference_text_ops.h"

namespace harness {

using reference::Text;

Text ConvertAspCode(const Text& page);
Text SplitScriptBlocks(const Text& page);
// The write-merging stage and the rewrites behind it.
Text MergeWriteRuns(const Text& statements);
// The literal of one markup piece; two quotes alone where the markup has nothing to write.
Text MarkupToLiteral(const Text& markup);

}  // namespace harness
