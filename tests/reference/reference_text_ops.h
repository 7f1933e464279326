// The text operations of the step-by-step reference, on UTF-16 Text. Positions are 1-based and 0
// stands for absence, as the conversion rules count them.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace reference {

using Text = std::u16string;
using TextView = std::u16string_view;

enum MatchMode { ExactMatch, CaseInsensitiveMatch };

// Folds A-Z to a-z and leaves every other code unit alone, so that matching and LowerCase agree.
constexpr char16_t FoldCase(char16_t c) {
  return c >= u'A' && c <= u'Z' ? c + (u'a' - u'A') : c;
}

// True when `pattern` stands at the 0-based `index` of `text`.
bool MatchesAt(TextView text, std::size_t index, TextView pattern, MatchMode mode);

std::size_t FindFirst(TextView text, TextView pattern, std::size_t start);
std::size_t FindLast(TextView text, TextView pattern);
std::vector<Text> SplitText(TextView text, TextView delimiter);
Text ReplaceAll(TextView text, TextView find, TextView with, MatchMode mode);
Text LeftPart(TextView text, std::size_t n);
Text RightPart(TextView text, std::size_t n);
Text MidPart(TextView text, std::size_t n);
Text TrimLeft(TextView text);
Text LowerCase(TextView text);

}  // namespace reference
