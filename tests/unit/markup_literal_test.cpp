#include <gtest/gtest.h>

#include "engine_harness.h"
#include "rule_rows.h"

namespace {

using namespace harness;

const Text kJoin = u"\" & vbCrLf & \"";
const Text kContinued = u"\" & vbCrLf & _\r\n  \"";

Text Repeat(std::size_t n, char16_t c = u'a') {
  return Text(n, c);
}
Text Quoted(const Text& inner) {
  return u"\"" + inner + u"\"";
}

struct Case {
  const char* rule;
  Text markup;
  Text expected;
};

void ExpectLiterals(const std::vector<Case>& cases) {
  for (const Case& c : cases)
    EXPECT_EQ(MarkupToLiteral(c.markup), c.expected) << c.rule;
}

TEST(MarkupLiteral, NothingToWriteGivesTwoQuotes) {
  ExpectLiterals({
      {"empty", u"", u"\"\""},
      {"spaces only", u"   ", u"\"\""},
      {"line breaks only", u"\r\n\r\n", u"\"\""},
      {"spaces between outer line breaks", u"\r\n  \r\n", u"\"\""},
  });
}

TEST(MarkupLiteral, OuterLineBreaksVanishAndInnerOnesJoin) {
  ExpectLiterals({
      {"one break", u"a\r\nb", Quoted(u"a" + kJoin + u"b")},
      {"outer breaks", u"\r\n\r\na\r\nb\r\n", Quoted(u"a" + kJoin + u"b")},
      {"two breaks in a row", u"a\r\n\r\nb", Quoted(u"a" + kJoin + kJoin + u"b")},
      {"spaces around an inner break", u" \r\n ", Quoted(u" " + kJoin + u" ")},
      {"leading spaces stay", u"  a", u"\"  a\""},
      {"lone CR and LF are characters", u"a\rb\nc\n\r", u"\"a\rb\nc\n\r\""},
      {"CR before a break", u"a\r\r\nb", Quoted(u"a\r" + kJoin + u"b")},
      {"a trailing lone CR stays", u"a\r\n\r", Quoted(u"a" + kJoin + u"\r")},
  });
}

TEST(MarkupLiteral, QuotesAreDoubled) {
  ExpectLiterals({
      {"inner quote", u"x\"y", u"\"x\"\"y\""},
      {"only a quote", u"\"", u"\"\"\"\""},
      {"fifty quotes then a break are continued", Repeat(50, u'"') + u"\r\nx",
       Quoted(Repeat(100, u'"') + kContinued + u"x")},
      {"forty-nine quotes then a break are joined", Repeat(49, u'"') + u"\r\nx",
       Quoted(Repeat(98, u'"') + kJoin + u"x")},
  });
}

TEST(MarkupLiteral, FirstLineIsContinuedFromOneHundredCharacters) {
  ExpectLiterals({
      {"98", Repeat(98) + u"\r\nb", Quoted(Repeat(98) + kJoin + u"b")},
      {"99", Repeat(99) + u"\r\nb", Quoted(Repeat(99) + kJoin + u"b")},
      {"100", Repeat(100) + u"\r\nb", Quoted(Repeat(100) + kContinued + u"b")},
      {"101", Repeat(101) + u"\r\nb", Quoted(Repeat(101) + kContinued + u"b")},
      {"no break, any length", Repeat(5000), Quoted(Repeat(5000))},
      {"lone surrogates count as one", Repeat(99, u'\xD83D') + u"\r\n" + Repeat(1, u'\xDE00'),
       Quoted(Repeat(99, u'\xD83D') + kJoin + Repeat(1, u'\xDE00'))},
      {"99 characters of three bytes", Repeat(99, u'\u4E2D') + u"\r\nb",
       Quoted(Repeat(99, u'\u4E2D') + kJoin + u"b")},
      {"100 characters of three bytes", Repeat(100, u'\u4E2D') + u"\r\nb",
       Quoted(Repeat(100, u'\u4E2D') + kContinued + u"b")},
      {"49 characters of four bytes count 98", Emoji(49) + u"\r\nb",
       Quoted(Emoji(49) + kJoin + u"b")},
      {"50 characters of four bytes count 100", Emoji(50) + u"\r\nb",
       Quoted(Emoji(50) + kContinued + u"b")},
  });
}

TEST(MarkupLiteral, ContinuedLineIsContinuedFromNinetyEightCharacters) {
  const Text first = Repeat(100) + u"\r\n";
  ExpectLiterals({
      {"97", first + Repeat(97, u'b') + u"\r\nc",
       Quoted(Repeat(100) + kContinued + Repeat(97, u'b') + kJoin + u"c")},
      {"98", first + Repeat(98, u'b') + u"\r\nc",
       Quoted(Repeat(100) + kContinued + Repeat(98, u'b') + kContinued + u"c")},
  });
}

TEST(MarkupLiteral, JoinsCountTowardsTheLine) {
  // Ten-character lines: breaks at 11, 35, 59 and 83 are joined; the fifth, at 107, is continued.
  const Text line = Repeat(10);
  Text markup, expected;
  for (int i = 0; i < 6; ++i)
    markup += (i ? u"\r\n" : u"") + line;
  expected = line + kJoin + line + kJoin + line + kJoin + line + kJoin + line + kContinued + line;
  EXPECT_EQ(MarkupToLiteral(markup), Quoted(expected));
}

TEST(MarkupLiteral, ContentIsTheMarkupWithoutOuterBreaks) {
  ExpectLiterals({
      {"spaces inside outer breaks stay", u"\r\n a \r\n", u"\" a \""},
      {"a lone LF is no outer break", u"\n", u"\"\n\""},
  });
}

}  // namespace
