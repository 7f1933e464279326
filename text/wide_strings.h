// Windows' wide strings, which are UTF-16, and the WTF-8 the programs carry text in; Windows only.
#pragma once

#include <string>
#include <string_view>

namespace aspclip {

std::string Wtf8FromWide(std::wstring_view wide);
std::wstring WideFromWtf8(std::string_view wtf8);

}  // namespace aspclip
