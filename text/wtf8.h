// UTF-16, as Windows keeps text, and WTF-8, as the engine reads it: UTF-8 that also carries a lone
// surrogate, each in the three bytes its code point would take.
#pragma once

#include <string>
#include <string_view>

namespace aspclip {

// UTF-16, lone surrogates included, as WTF-8.
std::string Wtf8FromUtf16(std::u16string_view units);

// Appends the UTF-16 of WTF-8 text. A high and a low surrogate that meet as two three-byte
// sequences come back as the two units they are.
void AppendUtf16(std::string_view wtf8, std::u16string& out);

}  // namespace aspclip
