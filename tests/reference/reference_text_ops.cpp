#include "reference_text_ops.h"

namespace reference {

bool MatchesAt(TextView text, std::size_t index, TextView pattern, MatchMode mode) {
  if (index > text.size() || text.size() - index < pattern.size()) return false;
  if (mode == ExactMatch) return text.compare(index, pattern.size(), pattern) == 0;
  for (std::size_t k = 0; k < pattern.size(); ++k) {
    if (FoldCase(text[index + k]) != FoldCase(pattern[k])) return false;
  }
  return true;
}

std::size_t FindFirst(TextView text, TextView pattern, std::size_t start) {
  if (start == 0 || start > text.size()) return 0;
  const std::size_t found = text.find(pattern, start - 1);
  return found == TextView::npos ? 0 : found + 1;
}

std::size_t FindLast(TextView text, TextView pattern) {
  const std::size_t found = text.rfind(pattern);
  return found == TextView::npos ? 0 : found + 1;
}

std::vector<Text> SplitText(TextView text, TextView delimiter) {
  std::vector<Text> pieces;
  if (text.empty()) return pieces;
  std::size_t start = 0;
  for (std::size_t found; (found = text.find(delimiter, start)) != TextView::npos;
       start = found + delimiter.size()) {
    pieces.emplace_back(text.substr(start, found - start));
  }
  pieces.emplace_back(text.substr(start));
  return pieces;
}

Text ReplaceAll(TextView text, TextView find, TextView with, MatchMode mode) {
  Text result;
  result.reserve(text.size());
  std::size_t copied = 0;
  for (std::size_t i = 0; i + find.size() <= text.size();) {
    if (MatchesAt(text, i, find, mode)) {
      result.append(text.substr(copied, i - copied)).append(with);
      i += find.size();
      copied = i;
    } else {
      ++i;
    }
  }
  return result.append(text.substr(copied));
}

Text LeftPart(TextView text, std::size_t n) {
  return Text(text.substr(0, n));
}

Text RightPart(TextView text, std::size_t n) {
  return Text(n >= text.size() ? text : text.substr(text.size() - n));
}

Text MidPart(TextView text, std::size_t n) {
  return n > text.size() ? Text() : Text(text.substr(n - 1));
}

Text TrimLeft(TextView text) {
  const std::size_t first = text.find_first_not_of(u' ');
  return first == TextView::npos ? Text() : Text(text.substr(first));
}

Text LowerCase(TextView text) {
  Text lower(text);
  for (char16_t& c : lower)
    c = FoldCase(c);
  return lower;
}

}  // namespace reference
