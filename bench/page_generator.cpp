#include "page_generator.h"

#include <array>
#include <random>

namespace bench {
namespace {

constexpr std::array<std::pair<Shape, const char*>, 5> kShapes = {{
    {Shape::kRealistic, "realistic"},
    {Shape::kShortLines, "short-lines"},
    {Shape::kExpressions, "expressions"},
    {Shape::kOneLine, "one-line"},
    {Shape::kQuotes, "quotes"},
}};

const char* Pick(std::mt19937& random, std::initializer_list<const char*> choices) {
  return *(choices.begin() + random() % choices.size());
}

// One block of a page of the kind a real site has.
void AppendRealisticBlock(std::mt19937& random, std::string& page) {
  const int n = static_cast<int>(random() % 1000);
  switch (random() % 8) {
    case 0:
      page += "<table class=\"grid\" id=\"t" + std::to_string(n) + "\" cellpadding=\"2\">\r\n";
      for (int row = 0; row < 4; ++row) {
        page += "  <tr><td class=\"name\"><%= rs(\"name\") %></td><td align=\"right\">";
        page += "<%= FormatNumber(rs(\"price\"), 2) %></td></tr>\r\n";
      }
      page += "</table>\r\n";
      break;
    case 1:
      page += "<%\r\nIf Request.QueryString(\"page\") = \"" + std::to_string(n) + "\" Then\r\n";
      page += "  For i = 1 To 10\r\n    Response.Write \"<li>\" & i & \"</li>\"\r\n  Next\r\n";
      page += "Else\r\n  Response.Write \"<p>none</p>\"\r\nEnd If\r\n%>\r\n";
      break;
    case 2:
      page += "<% Set conn = Server.CreateObject(\"ADODB.Connection\")\r\n";
      page += "conn.Open Application(\"dsn\") %>\r\n";
      break;
    case 3:
      page +=
          "<p>Gr\xC3\xBC\xC3\x9F"
          "e, <%= Session(\"user\") %>! Caf\xC3\xA9 \xE2\x82\xAC" +
          std::to_string(n) + " \xF0\x9F\x98\x80 na\xC3\xAFve \xE4\xB8\xAD\xE6\x96\x87</p>\r\n";
      break;
    case 4:
      page += "<div style=\"";
      for (int k = 0; k < 12; ++k)
        page += "margin-left: " + std::to_string(k) + "px; ";
      page += "\">" + std::string(180, 'w') + "</div>\r\n";
      break;
    case 5:
      page += "<%Response.Write \"<b>\" & Server.HTMLEncode(title) & \"</b>\"%>\r\n";
      break;
    case 6:
      page += std::string("<a href=\"/item.asp?id=<%= id %>\" title=\"") +
              Pick(random, {"Details", "More \"info\"", "Open"}) + "\">link</a><br>\r\n";
      break;
    default:
      page += "<!-- section " + std::to_string(n) + " -->\r\n<h2>Heading</h2>\r\n\r\n";
      break;
  }
}

void AppendRepeated(std::string_view unit, std::size_t bytes, std::string& page) {
  while (page.size() + unit.size() <= bytes)
    page += unit;
}

}  // namespace

std::optional<Shape> ShapeNamed(std::string_view name) {
  for (const auto& [shape, shapeName] : kShapes) {
    if (name == shapeName) return shape;
  }
  return std::nullopt;
}

const char* ShapeName(Shape shape) {
  for (const auto& [candidate, name] : kShapes) {
    if (candidate == shape) return name;
  }
  return "?";
}

std::string GeneratePage(Shape shape, std::size_t bytes, std::uint32_t seed) {
  std::string page;
  page.reserve(bytes + 4096);
  switch (shape) {
    case Shape::kRealistic: {
      std::mt19937 random(seed);
      page =
          "<%@ Language=VBScript %>\r\n<html>\r\n<head><title>Report</title></head>\r\n<body>\r\n";
      while (page.size() < bytes)
        AppendRealisticBlock(random, page);
      // Cut at a line break so that no character or block is cut in half.
      page.resize(page.rfind("\r\n", bytes) + 2);
      break;
    }
    case Shape::kShortLines:
      AppendRepeated("abcdefgh\r\n", bytes, page);
      break;
    case Shape::kExpressions:
      AppendRepeated("<%= x %>", bytes, page);
      break;
    case Shape::kOneLine:
      AppendRepeated("one long line of markup with <b>tags</b> and no break ", bytes, page);
      break;
    case Shape::kQuotes:
      page.assign(bytes, '"');
      break;
  }
  return page;
}

}  // namespace bench
