#include <gtest/gtest.h>

#include "engine_harness.h"
#include "rule_rows.h"

namespace {

using namespace harness;

const Text kOut = u"OutputString = OutputString & ";

void ExpectMerged(const std::vector<RuleRow>& rows) {
  ExpectRows(rows, MergeWriteRuns);
}

// A write line whose generated line measures `length` characters.
Text WriteOf(std::size_t length) {
  return u"Response.Write " + Text(length - 15, u'x');
}

TEST(WriteMerge, RunsOfWritesBecomeOneStatement) {
  ExpectMerged({
      {"empty", u"", u""},
      {"single write", u"Response.Write \"a\"", kOut + u"\"a\"\r\n"},
      {"leading empty line", u"\r\nResponse.Write \"a\"", u"\r\n" + kOut + u"\"a\"\r\n"},
      {"three writes", u"Response.Write a\r\nResponse.Write b\r\nResponse.Write c",
       kOut + u"a & b & c\r\n"},
      {"expression operand keeps its space", u"Response.Write a\r\nResponse.Write  x ",
       kOut + u"a &  x \r\n"},
      {"script line ends the run", u"Response.Write a\r\nx = 1\r\nResponse.Write b",
       kOut + u"a\r\nx = 1\r\n" + kOut + u"b\r\n"},
      {"lower case", u"response.write a\r\nRESPONSE.WRITE b", kOut + u"a & b\r\n"},
      {"trailing line break gives an empty line", u"x\r\n", u"x\r\n\r\n"},
  });
}

TEST(WriteMerge, OnlyAStatementWordInTheFirstColumnOpensAWrite) {
  ExpectMerged({
      {"parenthesis", u"Response.Write(a)\r\nResponse.Write b",
       u"Response.Write(a)\r\n" + kOut + u"b\r\n"},
      {"indented write stays a line of its own", u"Response.Write a\r\n  Response.Write b",
       kOut + u"a\r\n  " + kOut + u"b\r\n"},
      {"word before a continuation", u"Response.Write _\r\n\"a\"\r\nResponse.Write b",
       u"Response.Write _\r\n\"a\"\r\n" + kOut + u"b\r\n"},
  });
}

TEST(WriteMerge, LinesAreContinuedPastOneHundredCharacters) {
  ExpectMerged({
      {"first line at 100 joins", WriteOf(100) + u"\r\nResponse.Write b",
       kOut + WriteOf(100).substr(15) + u" & b\r\n"},
      {"first line at 101 continues", WriteOf(101) + u"\r\nResponse.Write b",
       kOut + WriteOf(101).substr(15) + u" & _\r\nb\r\n"},
      {"characters of four bytes count two",
       u"Response.Write " + Emoji(43) + u"\r\nResponse.Write b",
       kOut + Emoji(43) + u" & _\r\nb\r\n"},
      {"continued line at 97 joins",
       WriteOf(101) + u"\r\n" + WriteOf(112) + u"\r\nResponse.Write c",
       kOut + WriteOf(101).substr(15) + u" & _\r\n" + Text(97, u'x') + u" & c\r\n"},
      {"continued line at 98 continues",
       WriteOf(101) + u"\r\n" + WriteOf(113) + u"\r\nResponse.Write c",
       kOut + WriteOf(101).substr(15) + u" & _\r\n" + Text(98, u'x') + u" & _\r\nc\r\n"},
  });
}

TEST(WriteMerge, IncomingContinuationsJoinLinesAndCountThree) {
  // 15 + 80 + 3 (the continuation) + 3 = 101: the next operand goes on a new line.
  const Text continued = u"Response.Write " + Text(80, u'x') + u" _\r\nyyy";
  ExpectMerged({
      {"continued write measures 101", continued + u"\r\nResponse.Write b",
       kOut + Text(80, u'x') + u" _\r\nyyy & _\r\nb\r\n"},
      {"continued write measures 100",
       u"Response.Write " + Text(79, u'x') + u" _\r\nyyy\r\nResponse.Write b",
       kOut + Text(79, u'x') + u" _\r\nyyy & b\r\n"},
      {"continuation survives unchanged", u"x = a _\r\n& b", u"x = a _\r\n& b\r\n"},
      {"a final \" _\" continues nothing", u"x\r\nResponse.Write _", u"x\r\n" + kOut + u"_\r\n"},
      {"a final continuation still hides the word", u"Response.Write _\r\n",
       u"Response.Write _\r\n\r\n"},
  });
}

TEST(WriteMerge, PageTextIsNeverTakenForAPlaceholder) {
  // Read plainly, "@!@" would come out as a line continuation.
  ExpectMerged({
      {"placeholder text", u"Response.Write \"@!@\"", kOut + u"\"@!@\"\r\n"},
      {"placeholder text before a continuation", u"x = a@! _\r\n& y", u"x = a@! _\r\n& y\r\n"},
  });
}

TEST(WriteMerge, OnlyTheLeadingStatementWordIsRemoved) {
  // Read plainly, every "Response.Write " of a later write line would be deleted.
  ExpectMerged({
      {"word inside a later operand", u"Response.Write a\r\nResponse.Write \"Response.Write \"",
       kOut + u"a & \"Response.Write \"\r\n"},
  });
}

TEST(WriteMerge, StringLiteralsAreNotRewritten) {
  // Read plainly, the statement word inside a literal would become the OutputString assignment.
  ExpectMerged({
      {"word in a literal", u"Response.Write \"Response.Write \"",
       kOut + u"\"Response.Write \"\r\n"},
      {"escaped quote keeps the literal open", u"x = \"\"\"Response.Write \"",
       u"x = \"\"\"Response.Write \"\r\n"},
      {"unclosed literal ends at the line", u"x = \"a\r\nResponse.Write b",
       u"x = \"a\r\n" + kOut + u"b\r\n"},
      {"code after a literal", u"  y = \"a\" : Response.Write b",
       u"  y = \"a\" : " + kOut + u"b\r\n"},
  });
}

}  // namespace
