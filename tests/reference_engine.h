// A slow reference of the conversion: every pass written step by step with the text operations,
// rebuilding the text as it goes. The engine must give the same output on every page.
#pragma once

#include "convert/text_ops.h"

namespace reference {

// Stands in for a line continuation while writes are merged. These noncharacters never occur in
// pages the reference is asked about: callers skip pages that hold U+FDD0.
inline constexpr char16_t kPlaceholderMark = u'\uFDD0';

aspclip::Text MarkupToLiteral(aspclip::Text working);
void SplitScriptBlocks(aspclip::Text& page);
void MergeWriteRuns(aspclip::Text& text);
void RewriteObjectCreation(aspclip::Text& text);
void ConvertAspCode(aspclip::Text& text);

}  // namespace reference
