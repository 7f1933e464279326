#include <gtest/gtest.h>

#include "engine_harness.h"
#include "rule_rows.h"

namespace {

using namespace harness;

void ExpectStatements(const std::vector<RuleRow>& rows) {
  ExpectRows(rows, SplitScriptBlocks);
}

TEST(ScriptBlocks, MarkupBecomesWrites) {
  ExpectStatements({
      {"empty page", u"", u""},
      {"no delimiters", u"abc", u"\r\nResponse.Write \"abc\""},
      {"spaces only", u"  ", u""},
      {"spaces between outer breaks", u"\r\n  \r\n", u""},
      {"spaces around an inner break", u" \r\n ", u"\r\nResponse.Write \" \" & vbCrLf & \" \""},
      {"blank markup between blocks", u"<%a%>\r\n  \r\n<%b%>", u"\r\n\r\na\r\nb"},
      {"blocks back to back", u"<%a%><%b%>", u"\r\n\r\na\r\nb"},
  });
}

TEST(ScriptBlocks, CodeIsCarriedOverAndExpressionsWritten) {
  ExpectStatements({
      {"expression block", u"<%= x %>", u"\r\n\r\nResponse.Write  x "},
      {"spaces before the mark", u"<% = x %>", u"\r\n\r\nResponse.Write  x "},
      {"assignment is code", u"<% a = 1 %>", u"\r\n\r\n a = 1 "},
      {"empty block", u"<%%>", u"\r\n\r\n"},
      {"empty expression", u"<%=%>", u"\r\n\r\nResponse.Write "},
      {"directive", u"<%@ x %>", u"\r\n\r\n@ x "},
      {"code with line breaks", u"<%If x Then\r\n  y\r\nEnd If%>",
       u"\r\n\r\nIf x Then\r\n  y\r\nEnd If"},
      {"code before markup", u"a<%b%>c", u"\r\nResponse.Write \"a\"\r\nb\r\nResponse.Write \"c\""},
      {"tab before the mark is no expression", u"<%\t=x%>", u"\r\n\r\n\t=x"},
  });
}

TEST(ScriptBlocks, DelimitersAreBalanced) {
  ExpectStatements({
      {"opening without closing", u"x<%y", u"\r\n\r\nResponse.Write \"x\"\r\ny"},
      {"closing without opening", u"x%>y", u"\r\nx\r\nResponse.Write \"y\""},
      {"page starts inside a block", u"a%>b<%c%>", u"\r\n\r\na\r\nResponse.Write \"b\"\r\nc"},
      {"page ends inside a block", u"a<%b", u"\r\n\r\nResponse.Write \"a\"\r\nb"},
      {"block left open before the next", u"x<% a <% b %>y",
       u"\r\nResponse.Write \"x\"\r\nResponse.Write \" a \"\r\n b \r\nResponse.Write \"y\""},
      {"closing delimiter made by the added one", u"x<%a<",
       u"\r\n\r\nResponse.Write \"x\"\r\nResponse.Write \"a\"\r\nResponse.Write \">\""},
  });
}

TEST(ScriptBlocks, MarkupBehindASecondCloseIsKept) {
  // Read plainly, the text behind the second "%>" would be dropped: "a" and "b" alone.
  ExpectStatements({
      {"second close", u"<%a%>b%>c", u"\r\n\r\na\r\nResponse.Write \"b%>c\""},
      {"three closes", u"<%a%>%>%>", u"\r\n\r\na\r\nResponse.Write \"%>%>\""},
  });
}

}  // namespace
