// Text at the platform boundary. The engine reads UTF-8 with CR LF line breaks: WTF-8 where a
// Windows clipboard holds a lone surrogate, which UTF-8 cannot carry, each lone surrogate taking
// the three bytes its code point would.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace aspclip {

// The offset of the first byte of the first invalid sequence, or kNotFound when all of it is strict
// UTF-8: overlong forms, surrogates and code points past U+10FFFF are invalid.
std::size_t FindInvalidUtf8(std::string_view bytes);

// How many CR not followed by LF, and LF not preceded by CR, the text holds.
std::size_t CountLoneLineBreaks(std::string_view text);

// FindInvalidUtf8 and CountLoneLineBreaks in one pass over the bytes; the count is whole only
// when the bytes are valid.
struct Utf8Scan {
  std::size_t badByte;
  std::size_t loneLineBreaks;
};
Utf8Scan ScanUtf8(std::string_view bytes);

// Turns each lone CR or LF among the first `size` bytes of `data` into CR LF, in place. `data` has
// room for `lone` more bytes, `lone` being what CountLoneLineBreaks says of those `size` bytes.
void ExpandLoneLineBreaks(char* data, std::size_t size, std::size_t lone);

// A copy of `text` with each lone CR or LF turned into CR LF, made in one allocation.
std::string WithCrLf(std::string_view text);

// Appends `text` with each CR LF turned into LF.
void AppendWithLf(std::string_view text, std::string& out);

// UTF-16, lone surrogates included, as WTF-8.
std::string Wtf8FromUtf16(std::u16string_view units);

// Appends the UTF-16 of WTF-8 text. A high and a low surrogate that meet as two three-byte
// sequences come back as the two units they are.
void AppendUtf16(std::string_view wtf8, std::u16string& out);

}  // namespace aspclip
