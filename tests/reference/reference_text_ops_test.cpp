#include "reference_text_ops.h"

#include <gtest/gtest.h>

namespace reference {
namespace {

TEST(TextOps, FindFirstGivesOneBasedPositionOrZero) {
  struct Case {
    Text text, pattern;
    std::size_t start, expected;
  };
  const Case cases[] = {
      {u"abcabc", u"bc", 1, 2}, {u"abcabc", u"bc", 3, 5}, {u"abcabc", u"bc", 5, 5},
      {u"abcabc", u"bc", 6, 0}, {u"abcabc", u"bc", 7, 0}, {u"abc", u"abc", 1, 1},
      {u"abc", u"c", 3, 3},     {u"abc", u"c", 4, 0},     {u"", u"a", 1, 0},
      {u"ab", u"abc", 1, 0},    {u"aBc", u"bc", 1, 0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(FindFirst(c.text, c.pattern, c.start), c.expected)
        << testing::PrintToString(c.text) << " from " << c.start;
  }
}

TEST(TextOps, FindLastGivesLastOccurrence) {
  struct Case {
    Text text, pattern;
    std::size_t expected;
  };
  const Case cases[] = {
      {u"abcabc", u"bc", 5}, {u"aaa", u"aa", 2}, {u"abc", u"x", 0}, {u"", u"x", 0}};
  for (const Case& c : cases)
    EXPECT_EQ(FindLast(c.text, c.pattern), c.expected) << testing::PrintToString(c.text);
}

TEST(TextOps, SplitTextKeepsEmptyPiecesAndGivesNoneForEmptyText) {
  struct Case {
    Text text, delimiter;
    std::vector<Text> expected;
  };
  const Case cases[] = {
      {u"ab", u"ab", {u"", u""}},
      {u"", u"x", {}},
      {u"a,b", u",", {u"a", u"b"}},
      {u",,", u",", {u"", u"", u""}},
      {u"aXXXb", u"XX", {u"a", u"Xb"}},
      {u"abc", u"x", {u"abc"}},
      {u"a\r\nb\r\n", u"\r\n", {u"a", u"b", u""}},
  };
  for (const Case& c : cases)
    EXPECT_EQ(SplitText(c.text, c.delimiter), c.expected) << testing::PrintToString(c.text);
}

TEST(TextOps, ReplaceAllScansLeftToRightWithoutRescanningInsertedText) {
  struct Case {
    Text text, find, with;
    MatchMode mode;
    Text expected;
  };
  const Case cases[] = {
      {u"aaa", u"aa", u"b", ExactMatch, u"ba"},
      {u"aXa", u"a", u"aa", ExactMatch, u"aaXaa"},
      {u"AbAB", u"ab", u"x", ExactMatch, u"AbAB"},
      {u"AbAB", u"ab", u"x", CaseInsensitiveMatch, u"xx"},
      {u"sERVER.x", u"server.", u"Server.", CaseInsensitiveMatch, u"Server.x"},
      {u"", u"a", u"b", ExactMatch, u""},
      {u"abab", u"ab", u"", ExactMatch, u""},
      {u"\u00C9\u00E9", u"\u00E9", u"e", CaseInsensitiveMatch, u"\u00C9e"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ReplaceAll(c.text, c.find, c.with, c.mode), c.expected)
        << testing::PrintToString(c.text);
  }
}

TEST(TextOps, PartsClampToTheText) {
  EXPECT_EQ(LeftPart(u"abc", 2), u"ab");
  EXPECT_EQ(LeftPart(u"abc", 5), u"abc");
  EXPECT_EQ(RightPart(u"abc", 2), u"bc");
  EXPECT_EQ(RightPart(u"abc", 5), u"abc");
  EXPECT_EQ(MidPart(u"abc", 1), u"abc");
  EXPECT_EQ(MidPart(u"abc", 3), u"c");
  EXPECT_EQ(MidPart(u"abc", 4), u"");
  EXPECT_EQ(MidPart(u"abc", 9), u"");
}

TEST(TextOps, TrimLeftDropsSpacesOnly) {
  EXPECT_EQ(TrimLeft(u"  a b "), u"a b ");
  EXPECT_EQ(TrimLeft(u"\t a"), u"\t a");
  EXPECT_EQ(TrimLeft(u"\r\n a"), u"\r\n a");
  EXPECT_EQ(TrimLeft(u"   "), u"");
  EXPECT_EQ(TrimLeft(u""), u"");
}

TEST(TextOps, LowerCaseAndCaseInsensitiveMatchFoldTheSameLetters) {
  for (char32_t unit = 0; unit <= 0xFFFF; ++unit) {
    const Text c(1, static_cast<char16_t>(unit));
    const Text lower = LowerCase(c);
    const bool asciiUpper = unit >= u'A' && unit <= u'Z';
    ASSERT_EQ(lower != c, asciiUpper) << static_cast<int>(unit);
    ASSERT_TRUE(MatchesAt(c, 0, lower, CaseInsensitiveMatch)) << static_cast<int>(unit);
    ASSERT_EQ(MatchesAt(c, 0, LowerCase(u"Q"), CaseInsensitiveMatch), unit == u'q' || unit == u'Q');
  }
}

}  // namespace
}  // namespace reference
