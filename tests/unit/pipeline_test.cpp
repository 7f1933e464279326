#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

#include "convert/parallel.h"
#include "convert/pipeline.h"
#include "engine_harness.h"
#include "rule_rows.h"

namespace {

using namespace harness;

TEST(Pipeline, WorkedExampleComesOutLineForLine) {
  const Text page =
      u"<html>\r\n<body>\r\n<%Set c = Server.CreateObject(\"App.Counter\")%>\r\n"
      u"<p class=\"x\">Hello, <%=name%>!</p>\r\n</body>\r\n</html>";
  const Text expected =
      u"\r\n"
      u"OutputString = OutputString & \"<html>\" & vbCrLf & \"<body>\"\r\n"
      u"Set c = CreateObject(\"App.Counter\")\r\n"
      u"OutputString = OutputString & \"<p class=\"\"x\"\">Hello, \" & name & \"!</p>\" & vbCrLf "
      u"& \"</body>\" & vbCrLf & \"</html>\"\r\n";
  EXPECT_EQ(ConvertAspCode(page), expected);
}

TEST(Pipeline, WholePagesConvert) {
  ExpectRows(
      {
          {"empty page", u"", u""},
          {"markup only", u"abc", u"\r\nOutputString = OutputString & \"abc\"\r\n"},
          {"spaces only", u"\r\n   \r\n", u""},
          {"expression only", u"<%= x %>", u"\r\n\r\nOutputString = OutputString &  x \r\n"},
          {"script word directly behind the delimiter merges", u"a<%Response.Write b%>c",
           u"\r\nOutputString = OutputString & \"a\" & b & \"c\"\r\n"},
          {"script word behind a space stays a line", u"a<% Response.Write b%>c",
           u"\r\nOutputString = OutputString & \"a\"\r\n OutputString = OutputString & b\r\n"
           u"OutputString = OutputString & \"c\"\r\n"},
          // An expression that starts with a continuation makes its statement word no statement,
          // and so does an underscore alone, continued by the line break in front of the next.
          {"expression behind a continuation is no write", u"<%=_\r\nx%>y",
           u"\r\n\r\nResponse.Write _\r\nx\r\nOutputString = OutputString & \"y\"\r\n"},
          {"an underscore alone continues onto the next statement", u"<%=_%>y",
           u"\r\n\r\nResponse.Write _\r\nOutputString = OutputString & \"y\"\r\n"},
          // A literal of 80 characters of three bytes each: the line measures 15 + 82 = 97.
          {"markup of three-byte characters is measured in units", Text(80, u'\u20AC') + u"<%=x%>",
           u"\r\nOutputString = OutputString & \"" + Text(80, u'\u20AC') + u"\" & x\r\n"},
          {"and past 100 units it continues", Text(86, u'\u20AC') + u"<%=x%>",
           u"\r\nOutputString = OutputString & \"" + Text(86, u'\u20AC') + u"\" & _\r\nx\r\n"},
          // 15 + 63 + 3, and an expression of 19 units in 23 bytes, its last characters of three
          // bytes: 100, so the next operand joins.
          // 15 + 34 for the literal of sixteen quotes, then 3 + 49: past 100, so it continues.
          {"a run of quotes is measured doubled",
           Text(16, u'"') + u"<%= " + Text(47, u'x') + u" %>z",
           u"\r\nOutputString = OutputString & \"" + Text(32, u'"') + u"\" &  " + Text(47, u'x') +
               u"  & _\r\n\"z\"\r\n"},
          {"an expression is measured in units to its end",
           Text(61, u'y') + u"<%= " + Text(15, u'x') + u"\u20AC\u20AC %>z",
           u"\r\nOutputString = OutputString & \"" + Text(61, u'y') + u"\" &  " + Text(15, u'x') +
               u"\u20AC\u20AC  & \"z\"\r\n"},
      },
      ConvertAspCode);
}

TEST(Pipeline, ObjectCreationIsRewrittenInCodeOnly) {
  // Read plainly, the rewrite would also change the page's own text inside string literals.
  const RuleRow blocks[] = {
      {"any case", u"<%Set a = server.createOBJECT(\"x\")%>", u"Set a = CreateObject(\"x\")"},
      {"space before the parenthesis", u"<%Set a = Server.CreateObject (\"x\")%>",
       u"Set a = Server.CreateObject (\"x\")"},
      {"no rescan of the result", u"<%Server.Server.CreateObject(1)%>", u"Server.CreateObject(1)"},
      {"inside a literal", u"<%a = \"Server.CreateObject(\" & Server.CreateObject(b)%>",
       u"a = \"Server.CreateObject(\" & CreateObject(b)"},
      {"literal ends at its line", u"<%a = \"x\r\nServer.CreateObject(b)%>",
       u"a = \"x\r\nCreateObject(b)"},
  };
  for (const RuleRow& row : blocks) {
    EXPECT_EQ(ConvertAspCode(row.input), u"\r\n\r\n" + row.expected + u"\r\n") << row.rule;
  }
  EXPECT_EQ(ConvertAspCode(u"Server.CreateObject(x)"),
            u"\r\nOutputString = OutputString & \"Server.CreateObject(x)\"\r\n");
}

}  // namespace

// A sink that fails ends the conversion with its failure, however the page is shared out: no
// worker is left waiting for a turn or for statements that will never come.
TEST(Pipeline, AFailingSinkEndsEveryWorker) {
  struct FailingSink final : aspclip::CodeSink {
    void Put(std::string_view) override { throw std::runtime_error("the disk is full"); }
  };
  // Pages many pieces of code long, whose statements the split makes faster than they are merged.
  std::string cutEverywhere, oneChunk;
  for (int k = 0; k < 200000; ++k) {
    cutEverywhere += "<p>markup</p><%\r\nx = 1\r\n%>";
    oneChunk += "<%= x %>";
  }
  for (const std::string* page : {&cutEverywhere, &oneChunk}) {
    FailingSink sink;
    EXPECT_THROW(aspclip::ConvertAspCodeInChunks(*page, sink, 2, 4096), std::runtime_error);
  }
}
