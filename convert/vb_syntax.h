// The fixed texts of the page syntax read and the Visual Basic written. Nothing here is
// configurable.
#pragma once

#include <cstddef>

#include "text_ops.h"

namespace aspclip {

inline constexpr TextView kBlockOpen = u"<%";
inline constexpr TextView kBlockClose = u"%>";
inline constexpr char16_t kExpressionMark = u'=';
inline constexpr TextView kLineBreak = u"\r\n";
inline constexpr char16_t kQuote = u'"';

// The statement the script block pass writes, and what the write-merging pass turns it into.
inline constexpr TextView kWriteStatement = u"Response.Write ";
inline constexpr TextView kOutputAppend = u"OutputString = OutputString & ";

// A Visual Basic line continuation: a space, an underscore, then a line break.
inline constexpr TextView kContinuation = u" _\r\n";

// A generated line is broken once it holds more than this many characters.
inline constexpr std::size_t kLineLimit = 100;

inline bool LineBreakAt(TextView text, std::size_t index) {
  return index + 1 < text.size() && text[index] == u'\r' && text[index + 1] == u'\n';
}

inline bool ContinuationAt(TextView text, std::size_t index) {
  return text.substr(index < text.size() ? index : text.size(), kContinuation.size()) ==
         kContinuation;
}

}  // namespace aspclip
