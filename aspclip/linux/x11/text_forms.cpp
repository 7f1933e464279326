#include "text_forms.h"

#include <glib.h>

#include <cstdio>

#include "text/line_breaks.h"

namespace aspclip {
namespace {

constexpr gunichar kLastLatin1 = 0xFF;
constexpr gunichar kLastAscii = 0x7F;
constexpr gunichar kFirstNonBmp = 0x10000;

bool IsLeftOutControl(gunichar c) {
  return (c < 0x20 && c != '\t' && c != '\n') || (c >= 0x7F && c < 0xA0);
}

void AppendEscaped(gunichar c, std::string& out) {
  char escape[16];
  const int length = std::snprintf(escape, sizeof escape, c < kFirstNonBmp ? "\\u%04x" : "\\U%08x",
                                   static_cast<unsigned>(c));
  out.append(escape, static_cast<std::size_t>(length));
}

// Calls `each` with every character of valid UTF-8 `text` and the bytes that spell it, a CR LF
// or a lone CR being passed as one LF.
template <typename Each>
void ForEachCharacter(std::string_view text, Each each) {
  for (std::size_t at = 0; at < text.size();) {
    if (text[at] == '\r') {
      at += text.substr(at).starts_with("\r\n") ? 2 : 1;
      each(gunichar{'\n'}, std::string_view("\n"));
      continue;
    }
    const char* start = text.data() + at;
    const char* next = g_utf8_next_char(start);
    each(g_utf8_get_char(start), std::string_view(start, static_cast<std::size_t>(next - start)));
    at += static_cast<std::size_t>(next - start);
  }
}

}  // namespace

std::string StringForm(std::string_view utf8) {
  std::string out;
  out.reserve(utf8.size());
  ForEachCharacter(utf8, [&out](gunichar c, std::string_view) {
    if (IsLeftOutControl(c)) return;
    if (c <= kLastLatin1) {
      out.push_back(static_cast<char>(c));
    } else {
      AppendEscaped(c, out);
    }
  });
  return out;
}

std::string ControlsLeftOut(std::string_view utf8) {
  std::string out;
  out.reserve(utf8.size());
  ForEachCharacter(utf8, [&out](gunichar c, std::string_view bytes) {
    if (!IsLeftOutControl(c)) out.append(bytes);
  });
  return out;
}

std::string PlainTextForm(std::string_view utf8, PlainCharset charset) {
  if (charset == PlainCharset::kUtf8) return WithCrLf(utf8);
  std::string out;
  out.reserve(utf8.size());
  ForEachCharacter(utf8, [&out](gunichar c, std::string_view) {
    if (c == '\n') {
      out.append("\r\n");
    } else if (c <= kLastAscii) {
      out.push_back(static_cast<char>(c));
    } else {
      AppendEscaped(c, out);
    }
  });
  return out;
}

std::string FromLatin1(std::string_view latin1) {
  gsize written = 0;
  gchar* utf8 = g_convert(latin1.data(), static_cast<gssize>(latin1.size()), "UTF-8", "ISO-8859-1",
                          nullptr, &written, nullptr);
  std::string out(utf8 != nullptr ? utf8 : "", written);
  g_free(utf8);
  return out;
}

}  // namespace aspclip
