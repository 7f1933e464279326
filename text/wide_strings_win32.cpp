#include "wide_strings.h"

#include "wtf8.h"

namespace aspclip {

std::string Wtf8FromWide(std::wstring_view wide) {
  return Wtf8FromUtf16(std::u16string(wide.begin(), wide.end()));
}

std::wstring WideFromWtf8(std::string_view wtf8) {
  std::u16string units;
  AppendUtf16(wtf8, units);
  return std::wstring(units.begin(), units.end());
}

}  // namespace aspclip
