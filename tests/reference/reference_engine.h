// A slow reference of the conversion: every pass written step by step with the text operations,
// rebuilding the text as it goes. The engine must give the same output on every page.
#pragma once

#include "reference_text_ops.h"

namespace reference {

// Stands in for a line continuation while writes are merged. These noncharacters never occur in
// pages the reference is asked about: callers skip pages that hold U+FDD0.
inline constexpr char16_t kPlaceholderMark = u'\uFDD0';

Text MarkupToLiteral(Text working);
void SplitScriptBlocks(Text& page);
void MergeWriteRuns(Text& text);
void RewriteObjectCreation(Text& text);
void ConvertAspCode(Text& text);

}  // namespace reference
