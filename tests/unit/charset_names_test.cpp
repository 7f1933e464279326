#include "text/charset_names.h"

#include <gtest/gtest.h>

namespace aspclip {
namespace {

// Names as people type them, with the Windows code page identifier each stands for and the name
// iconv gives that code page.
TEST(CharsetNames, EachNameStandsForItsWindowsCodePage) {
  struct Row {
    const char* name;
    unsigned codePage;
    const char* iconvName;
  };
  const Row rows[] = {
      {"UTF-8", 65001, "UTF-8"},
      {"utf8", 65001, "UTF-8"},
      {"UTF-16", 1200, "UTF-16LE"},
      {"utf-16be", 1201, "UTF-16BE"},
      {"UTF-32", 12000, "UTF-32LE"},
      {"UTF-32BE", 12001, "UTF-32BE"},
      {"UTF-7", 65000, "UTF-7"},
      {"US-ASCII", 20127, "ASCII"},
      {"ISO-8859-1", 28591, "ISO-8859-1"},
      {"latin1", 28591, "ISO-8859-1"},
      {"ISO_8859-2", 28592, "ISO-8859-2"},
      {"cyrillic", 28595, "ISO-8859-5"},
      {"hebrew", 28598, "ISO-8859-8"},
      {"ISO-8859-13", 28603, "ISO-8859-13"},
      {"latin9", 28605, "ISO-8859-15"},
      {"KOI8-R", 20866, "KOI8-R"},
      {"KOI8-U", 21866, "KOI8-U"},
      {"Shift_JIS", 932, "CP932"},
      {"sjis", 932, "CP932"},
      {"MS_Kanji", 932, "CP932"},
      {"Windows-31J", 932, "CP932"},
      {"EUC-JP", 20932, "EUC-JP"},
      {"ISO-2022-JP", 50220, "ISO-2022-JP"},
      {"GBK", 936, "CP936"},
      {"GB2312", 936, "CP936"},
      {"GB18030", 54936, "GB18030"},
      {"Big5", 950, "CP950"},
      {"EUC-KR", 51949, "EUC-KR"},
      {"KS_C_5601-1987", 949, "CP949"},
      {"TIS-620", 874, "CP874"},
      {"macintosh", 10000, "MACINTOSH"},
      {"HZ", 52936, "HZ-GB-2312"},
      {"ISO-2022-KR", 50225, "ISO-2022-KR"},
      {"windows-1252", 1252, "CP1252"},
      {"cp1251", 1251, "CP1251"},
      {"IBM437", 437, "CP437"},
      {"850", 850, "CP850"},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(CodePageNamed(row.name), row.codePage) << row.name;
    EXPECT_EQ(IconvNameOf(row.codePage), row.iconvName) << row.name;
  }
  for (const char* unknown : {"klingon", "windows-", "cp12x", ""})
    EXPECT_EQ(CodePageNamed(unknown), 0U) << unknown;
}

}  // namespace
}  // namespace aspclip
