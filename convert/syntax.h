// The fixed texts of the page syntax read and the Visual Basic written. Nothing here is
// configurable.
#pragma once

#include <cstddef>
#include <string_view>

namespace aspclip {

inline constexpr std::string_view kBlockOpen = "<%";
inline constexpr std::string_view kBlockClose = "%>";
inline constexpr char kExpressionMark = '=';
inline constexpr std::string_view kLineBreak = "\r\n";
inline constexpr char kQuote = '"';

// The statement the script block stage writes, and what the write-merging stage turns it into.
inline constexpr std::string_view kWriteStatement = "Response.Write ";
inline constexpr std::string_view kOutputAppend = "OutputString = OutputString & ";

// Objects are created with the plain CreateObject function.
inline constexpr std::string_view kObjectCreation = "Server.CreateObject(";
inline constexpr std::string_view kPlainObjectCreation = "CreateObject(";

// A Visual Basic line continuation: a space, an underscore, then a line break.
inline constexpr std::string_view kContinuation = " _\r\n";

// A generated line is broken once it holds more than this many characters.
inline constexpr std::size_t kLineLimit = 100;

// Both delimiters hold the percent sign, by which a scan finds them.
static_assert(kBlockOpen[1] == kBlockClose[0], "both delimiters hold the percent sign");
inline constexpr char kPercent = kBlockClose[0];

// Whether the percent sign at `percent` is an opening or a closing delimiter's; it may be both.
inline bool OpensAt(std::string_view page, std::size_t percent) {
  return percent > 0 && page[percent - 1] == kBlockOpen[0];
}
inline bool ClosesAt(std::string_view page, std::size_t percent) {
  return percent + 1 < page.size() && page[percent + 1] == kBlockClose[1];
}

inline bool LineBreakAt(std::string_view text, std::size_t index) {
  return index < text.size() && text.size() - index >= kLineBreak.size() &&
         text[index] == kLineBreak[0] && text[index + 1] == kLineBreak[1];
}

inline bool ContinuationAt(std::string_view text, std::size_t index) {
  return index < text.size() && text.size() - index >= kContinuation.size() &&
         text[index] == kContinuation[0] && text[index + 1] == kContinuation[1] &&
         LineBreakAt(text, index + 2);
}

}  // namespace aspclip
