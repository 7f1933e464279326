#include "app/text_encoding.h"

#include <gtest/gtest.h>

namespace aspclip {
namespace {

TEST(TextEncoding, DecodesValidUtf8) {
  struct Case {
    std::string bytes;
    LineBreaks breaks;
    Text expected;
  };
  const Case cases[] = {
      {"", LineBreaks::kAsIs, u""},
      {"caf\xC3\xA9", LineBreaks::kAsIs, u"caf\u00E9"},
      {"\xE2\x82\xAC", LineBreaks::kAsIs, u"\u20AC"},
      {"\xF0\x9F\x98\x80", LineBreaks::kAsIs, u"\xD83D\xDE00"},
      {"\xF4\x8F\xBF\xBF", LineBreaks::kAsIs, u"\xDBFF\xDFFF"},
      {"a\nb\rc\r\nd", LineBreaks::kAsIs, u"a\nb\rc\r\nd"},
      {"a\nb\rc\r\nd\n\r", LineBreaks::kToCrLf, u"a\r\nb\r\nc\r\nd\r\n\r\n"},
      {"\r\r\n\n", LineBreaks::kToCrLf, u"\r\n\r\n\r\n"},
      {std::string("a\0b", 3), LineBreaks::kAsIs, Text(u"a\0b", 3)},
  };
  for (const Case& c : cases) {
    const Utf8Decoding decoded = DecodeUtf8(c.bytes, c.breaks);
    EXPECT_FALSE(decoded.errorOffset) << c.bytes;
    EXPECT_EQ(decoded.text, c.expected) << c.bytes;
  }
}

TEST(TextEncoding, RejectsInvalidUtf8AtTheFirstBadSequence) {
  struct Case {
    std::string bytes;
    std::size_t offset;
  };
  const Case cases[] = {
      {"caf\xE9", 3},           // Latin-1
      {"ab\xC3", 2},            // cut short
      {"\xC3\x28", 0},          // no continuation byte
      {"a\x80", 1},             // lone continuation byte
      {"\xC0\xAF", 0},          // overlong
      {"\xE0\x80\xAF", 0},      // overlong
      {"x\xED\xA0\x80", 1},     // surrogate
      {"\xF4\x90\x80\x80", 0},  // past U+10FFFF
      {"\xF5\x80\x80\x80", 0},  // no such lead byte
      {"ok\xF0\x9F\x98", 2},    // emoji cut short
  };
  for (const Case& c : cases) {
    const Utf8Decoding decoded = DecodeUtf8(c.bytes, LineBreaks::kToCrLf);
    ASSERT_TRUE(decoded.errorOffset) << c.bytes;
    EXPECT_EQ(*decoded.errorOffset, c.offset) << c.bytes;
  }
}

TEST(TextEncoding, EncodesWithThePlatformsLineBreaks) {
  EXPECT_EQ(EncodeUtf8(u"caf\u00E9 \xD83D\xDE00\r\n", LineBreaks::kAsIs),
            "caf\xC3\xA9 \xF0\x9F\x98\x80\r\n");
  EXPECT_EQ(EncodeUtf8(u"a\r\nb\rc\n", LineBreaks::kCrLfToLf), "a\nb\rc\n");
  EXPECT_EQ(EncodeUtf8(u"\xD83Dx\xDE00", LineBreaks::kAsIs), "\xEF\xBF\xBDx\xEF\xBF\xBD");
}

TEST(TextEncoding, RoundTripsEveryCodePoint) {
  Text all;
  for (char32_t c = 0; c < 0x10000; ++c) {
    if (c < 0xD800 || c > 0xDFFF) all += static_cast<char16_t>(c);
  }
  all += u"\xD800\xDC00\xDBFF\xDFFF";
  const Utf8Decoding decoded = DecodeUtf8(EncodeUtf8(all, LineBreaks::kAsIs), LineBreaks::kAsIs);
  EXPECT_FALSE(decoded.errorOffset);
  EXPECT_EQ(decoded.text, all);
}

TEST(TextEncoding, WritesInPiecesThatNeverSplitAPairOrALineBreak) {
  for (const Text& unit : {Text(u"\xD83D\xDE00"), Text(u"\r\n"), Text(u"\u00E9")}) {
    Text text(999999, u'a');  // the pair or break straddles the first piece's end
    for (int i = 0; i < 600000; ++i)
      text += unit;
    for (const LineBreaks breaks : {LineBreaks::kAsIs, LineBreaks::kCrLfToLf}) {
      std::string written;
      int pieces = 0;
      EXPECT_TRUE(WriteUtf8(text, breaks, [&](std::string_view piece) {
        written += piece;
        return ++pieces > 0;
      }));
      EXPECT_GT(pieces, 1);
      EXPECT_EQ(written, EncodeUtf8(text, breaks));
    }
  }
  EXPECT_FALSE(
      WriteUtf8(Text(10, u'a'), LineBreaks::kAsIs, [](std::string_view) { return false; }));
}

TEST(TextEncoding, NormalizesLoneBreaksOfUtf16Text) {
  EXPECT_EQ(NormalizeLineBreaks(u"a\nb\rc\r\nd\r"), u"a\r\nb\r\nc\r\nd\r\n");
}

}  // namespace
}  // namespace aspclip
