#include "charset_names.h"

#include <charconv>

#include "charset.h"

namespace aspclip {
namespace {

struct Named {
  std::string_view canonical;  // as CanonicalCharsetName gives it
  unsigned codePage;
};

// The code pages that go by a name rather than their number.
constexpr Named kNames[] = {
    {"utf8", kUtf8CodePage},
    {"utf16", kUtf16LeCodePage},
    {"utf16le", kUtf16LeCodePage},
    {"utf16be", kUtf16BeCodePage},
    {"utf32", kUtf32LeCodePage},
    {"utf32le", kUtf32LeCodePage},
    {"utf32be", kUtf32BeCodePage},
    {"utf7", 65000},
    {"usascii", 20127},
    {"ascii", 20127},
    {"iso88591", 28591},
    {"latin1", 28591},
    {"l1", 28591},
    {"iso88592", 28592},
    {"latin2", 28592},
    {"iso88593", 28593},
    {"iso88594", 28594},
    {"iso88595", 28595},
    {"cyrillic", 28595},
    {"iso88596", 28596},
    {"arabic", 28596},
    {"iso88597", 28597},
    {"greek", 28597},
    {"iso88598", 28598},
    {"hebrew", 28598},
    {"iso88599", 28599},
    {"latin5", 28599},
    {"iso885913", 28603},
    {"iso885915", 28605},
    {"latin9", 28605},
    {"koi8r", 20866},
    {"koi8u", 21866},
    {"shiftjis", 932},
    {"sjis", 932},
    {"mskanji", 932},
    {"windows31j", 932},
    {"eucjp", 20932},
    {"iso2022jp", 50220},
    {"gbk", 936},
    {"gb2312", 936},
    {"euccn", 936},
    {"gb18030", 54936},
    {"big5", 950},
    {"euckr", 51949},
    {"ksc56011987", 949},
    {"uhc", 949},
    {"tis620", 874},
    {"macintosh", 10000},
    {"macroman", 10000},
    {"hz", 52936},
    {"iso2022kr", 50225},
};

// The number behind `prefix`, or 0 when the rest is not all digits.
unsigned NumberAfter(std::string_view canonical, std::string_view prefix) {
  if (!canonical.starts_with(prefix) || canonical.size() == prefix.size()) return 0;
  unsigned number = 0;
  const char* end = canonical.data() + canonical.size();
  const auto [stop, error] = std::from_chars(canonical.data() + prefix.size(), end, number);
  return error == std::errc() && stop == end ? number : 0;
}

}  // namespace

unsigned CodePageNamed(std::string_view name) {
  const std::string canonical = CanonicalCharsetName(name);
  for (const Named& entry : kNames) {
    if (entry.canonical == canonical) return entry.codePage;
  }
  for (const std::string_view prefix : {"windows", "cp", "ibm", "ms", ""}) {
    if (const unsigned codePage = NumberAfter(canonical, prefix); codePage != 0) return codePage;
  }
  return 0;
}

std::string IconvNameOf(unsigned codePage) {
  switch (codePage) {
    case kUtf8CodePage:
      return "UTF-8";
    case kUtf16LeCodePage:
      return "UTF-16LE";
    case kUtf16BeCodePage:
      return "UTF-16BE";
    case kUtf32LeCodePage:
      return "UTF-32LE";
    case kUtf32BeCodePage:
      return "UTF-32BE";
    case 65000:
      return "UTF-7";
    case 20127:
      return "ASCII";
    case 20866:
      return "KOI8-R";
    case 21866:
      return "KOI8-U";
    case 20932:
      return "EUC-JP";
    case 50220:
      return "ISO-2022-JP";
    case 54936:
      return "GB18030";
    case 51949:
      return "EUC-KR";
    case 10000:
      return "MACINTOSH";
    case 52936:
      return "HZ-GB-2312";
    case 50225:
      return "ISO-2022-KR";
    default:
      break;
  }
  if (codePage >= 28591 && codePage <= 28605) return "ISO-8859-" + std::to_string(codePage - 28590);
  return "CP" + std::to_string(codePage);
}

}  // namespace aspclip
