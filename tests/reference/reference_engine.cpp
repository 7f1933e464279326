#include "reference_engine.h"

namespace reference {

namespace {

const Text kCrLf = u"\r\n";
const Text kQuote = u"\"";
const Text kJoin = u"\" & vbCrLf & \"";
const Text kContinuation = u"\" & vbCrLf & _\r\n  \"";
const Text kLineContinuation = u" _\r\n";
const Text kPlaceholder = u"\uFDD0\uFDD1\uFDD2";
const Text kWrite = u"Response.Write ";

// Applies ReplaceAll to the stretches of one physical line that lie outside string literals.
Text RewriteLine(const Text& line, TextView find, TextView with) {
  Text result, outside;
  bool inside = false;
  for (std::size_t i = 0; i < line.size(); ++i) {
    const char16_t c = line[i];
    if (!inside && c == u'"') {
      result += ReplaceAll(outside, find, with, CaseInsensitiveMatch) + kQuote;
      outside.clear();
      inside = true;
    } else if (!inside) {
      outside += c;
    } else if (c == u'"' && i + 1 < line.size() && line[i + 1] == u'"') {
      result += u"\"\"";
      ++i;
    } else {
      result += c;
      inside = c != u'"';
    }
  }
  return result + ReplaceAll(outside, find, with, CaseInsensitiveMatch);
}

// Physical lines end at CR LF and, while continuations are hidden, at the placeholder.
Text RewriteOutsideLiterals(const Text& text, TextView find, TextView with, bool hidden) {
  Text out;
  const auto lines = SplitText(text, kCrLf);
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (i > 0) out += kCrLf;
    if (!hidden) {
      out += RewriteLine(lines[i], find, with);
      continue;
    }
    const auto pieces = SplitText(lines[i], kPlaceholder);
    for (std::size_t j = 0; j < pieces.size(); ++j) {
      if (j > 0) out += kPlaceholder;
      out += RewriteLine(pieces[j], find, with);
    }
  }
  return out;
}

}  // namespace

Text MarkupToLiteral(Text working) {
  while (LeftPart(working, 2) == kCrLf)
    working = MidPart(working, 3);
  while (RightPart(working, 2) == kCrLf) {
    working = LeftPart(working, working.size() - 2);
  }
  if (TrimLeft(working).empty()) working.clear();
  working = ReplaceAll(working, kQuote, u"\"\"", ExactMatch);
  std::size_t lineMark = 0;
  std::size_t breakPosition = FindFirst(working, kCrLf, 1);
  while (breakPosition > 0) {
    const Text before = LeftPart(working, breakPosition - 1);
    const Text after = MidPart(working, breakPosition + 2);
    if (breakPosition - lineMark > 100) {
      working = before + kContinuation + after;
      breakPosition += 16;
      lineMark = breakPosition;
    } else {
      working = before + kJoin + after;
    }
    breakPosition = FindFirst(working, kCrLf, breakPosition);
  }
  return kQuote + working + kQuote;
}

void SplitScriptBlocks(Text& page) {
  if (FindFirst(page, u"%>", 1) < FindFirst(page, u"<%", 1)) page = u"<%" + page;
  if (FindLast(page, u"%>") < FindLast(page, u"<%")) page += u"%>";
  const auto parts = SplitText(page, u"<%");
  page.clear();
  const auto addMarkup = [&page](const Text& markup) {
    const Text literal = MarkupToLiteral(markup);
    if (literal != u"\"\"") page += kCrLf + kWrite + literal;
  };
  for (const Text& part : parts) {
    if (part.empty()) {
      page += kCrLf;
      continue;
    }
    const auto pieces = SplitText(part, u"%>");
    if (pieces.size() == 1) {
      addMarkup(part);
      continue;
    }
    const Text trimmed = TrimLeft(pieces[0]);
    if (LeftPart(trimmed, 1) == u"=") {
      page += kCrLf + kWrite + MidPart(trimmed, 2);
    } else {
      page += kCrLf + pieces[0];
    }
    addMarkup(MidPart(part, pieces[0].size() + 3));  // everything behind the first "%>"
  }
}

void MergeWriteRuns(Text& text) {
  const auto lines =
      SplitText(ReplaceAll(text, kLineContinuation, kPlaceholder, ExactMatch), kCrLf);
  Text out, accumulator;
  bool run = false;
  for (const Text& line : lines) {
    if (LowerCase(LeftPart(line, 15)) == u"response.write ") {
      if (!run) {
        accumulator = line;
        run = true;
        continue;
      }
      const std::size_t lastContinuation = FindLast(accumulator, kLineContinuation);
      const Text rest = MidPart(line, 16);
      accumulator += (accumulator.size() - lastContinuation > 100 ? u" & _\r\n" : u" & ") + rest;
    } else {
      if (run) out += accumulator + kCrLf;
      out += line + kCrLf;
      run = false;
      accumulator.clear();
    }
  }
  if (run) out += accumulator + kCrLf;
  out = RewriteOutsideLiterals(out, kWrite, u"OutputString = OutputString & ", true);
  text = ReplaceAll(out, kPlaceholder, kLineContinuation, ExactMatch);
}

void RewriteObjectCreation(Text& text) {
  text = RewriteOutsideLiterals(text, u"Server.CreateObject(", u"CreateObject(", false);
}

void ConvertAspCode(Text& text) {
  SplitScriptBlocks(text);
  MergeWriteRuns(text);
  RewriteObjectCreation(text);
}

}  // namespace reference
