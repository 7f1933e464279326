// The names people type for encodings, for both builds: IANA names and their aliases, cpNNN,
// windows-NNN, ibmNNN and bare numbers, each standing for a Windows code page.
#pragma once

#include <string>
#include <string_view>

namespace aspclip {

inline constexpr unsigned kUtf8CodePage = 65001;
inline constexpr unsigned kUtf16LeCodePage = 1200, kUtf16BeCodePage = 1201;
inline constexpr unsigned kUtf32LeCodePage = 12000, kUtf32BeCodePage = 12001;

// The code page `name` stands for; 0 for a name not known here.
unsigned CodePageNamed(std::string_view name);

// The name iconv knows for a code page.
std::string IconvNameOf(unsigned codePage);

}  // namespace aspclip
