// The forms of the code that X11 readers ask for besides UTF-8, as GTK programs give them.
#include "aspclip/linux/x11/text_forms.h"

#include <gtest/gtest.h>

#include <string>

namespace aspclip {
namespace {

struct FormRow {
  const char* name;
  std::string utf8;
  std::string expected;
};

TEST(TextForms, StringIsLatin1WithOtherCharactersEscapedAndControlsLeftOut) {
  const FormRow rows[] = {
      {"ASCII as it is", "a = \"b\"\n", "a = \"b\"\n"},
      {"Latin-1 in one byte each", "caf\xC3\xA9 \xC3\xBF", "caf\xE9 \xFF"},
      {"beyond Latin-1 as \\u", "\xE2\x82\xAC", "\\u20ac"},
      {"beyond the BMP as \\U", "\xF0\x9F\x98\x80", "\\U0001f600"},
      {"CR LF and a lone CR as LF", "a\r\nb\rc", "a\nb\nc"},
      {"tab kept, other controls left out",
       "a\tb\x01\x7F\xC2\x85"
       "c",
       "a\tbc"},
      {"NO-BREAK SPACE kept", "\xC2\xA0", "\xA0"},
  };
  for (const FormRow& row : rows)
    EXPECT_EQ(StringForm(row.utf8), row.expected) << row.name;
}

TEST(TextForms, CompoundTextIsMadeFromTheTextWithoutControls) {
  EXPECT_EQ(ControlsLeftOut("a\x01\tb\r\n\xE2\x82\xAC\x1B"), "a\tb\n\xE2\x82\xAC");
}

TEST(TextForms, PlainTextHasCrLfBreaksInItsCharset) {
  const struct {
    const char* name;
    PlainCharset charset;
    std::string utf8;
    std::string expected;
  } rows[] = {
      {"UTF-8: LF becomes CR LF", PlainCharset::kUtf8, "a\nb\n", "a\r\nb\r\n"},
      {"UTF-8: characters as they are", PlainCharset::kUtf8, "\xC3\xA9\xF0\x9F\x98\x80",
       "\xC3\xA9\xF0\x9F\x98\x80"},
      {"UTF-8: lone CR becomes CR LF", PlainCharset::kUtf8, "a\rb", "a\r\nb"},
      {"ASCII: others escaped", PlainCharset::kAscii, "\xC3\xA9\n\xF0\x9F\x98\x80",
       "\\u00e9\r\n\\U0001f600"},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(PlainTextForm(row.utf8, row.charset), row.expected) << row.name;
  }
}

TEST(TextForms, Latin1IsReadIntoUtf8) {
  EXPECT_EQ(FromLatin1("caf\xE9 \xFF\x80"), "caf\xC3\xA9 \xC3\xBF\xC2\x80");
  EXPECT_EQ(FromLatin1(std::string("a\0b", 3)), std::string("a\0b", 3));
}

}  // namespace
}  // namespace aspclip
