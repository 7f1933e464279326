// Checking that text is UTF-8, as the engine reads it: WTF-8 where a Windows clipboard holds a
// lone surrogate, which UTF-8 cannot carry, each lone surrogate taking the three bytes its code
// point would.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace aspclip {

// The byte-order mark, in UTF-8: no text of a page where it leads one.
inline constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

// The offset of the first byte of the first invalid sequence, or kNotFound when all of it is strict
// UTF-8: overlong forms, surrogates and code points past U+10FFFF are invalid.
std::size_t FindInvalidUtf8(std::string_view bytes);

// FindInvalidUtf8 and CountLoneLineBreaks in one pass over the bytes; the count is whole only
// when the bytes are valid.
struct Utf8Scan {
  std::size_t badByte;
  std::size_t loneLineBreaks;
};
Utf8Scan ScanUtf8(std::string_view bytes);

// ScanUtf8 of the bytes cut into `parts` parts (one at least), each scanned on a thread of its own
// where there are threads; the same for any number of parts. Without `wideVectors` it uses only
// the vector instructions that every processor of its kind has, as tests do to check both ways.
Utf8Scan ScanUtf8InParts(std::string_view bytes, std::size_t parts, bool wideVectors = true);

}  // namespace aspclip
