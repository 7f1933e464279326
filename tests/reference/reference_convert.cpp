// reference_convert [--lf]: converts the page on standard input with the step-by-step reference, as
// the programs would: UTF-8 in, each lone CR or LF read as CR LF, UTF-8 out; with --lf, the code's
// CR LF written as LF, as the Linux clipboard holds it. The end-to-end tests take their expected
// code from here, never from the programs they test. Every step here is its own, plainly written.
#include <cstdio>
#include <iostream>
#include <iterator>
#include <string>

#include "reference_engine.h"

namespace {

using reference::Text;

Text Utf16FromUtf8(const std::string& bytes) {
  Text units;
  for (std::size_t i = 0; i < bytes.size();) {
    const auto lead = static_cast<unsigned char>(bytes[i]);
    const std::size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
    char32_t c = length == 1 ? lead : lead & (0xFF >> (length + 1));
    for (std::size_t k = 1; k < length && i + k < bytes.size(); ++k)
      c = c << 6 | (static_cast<unsigned char>(bytes[i + k]) & 0x3F);
    if (c >= 0x10000) {
      units += static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
      units += static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
    } else {
      units += static_cast<char16_t>(c);
    }
    i += length;
  }
  return units;
}

std::string Utf8FromUtf16(const Text& units) {
  std::string bytes;
  for (std::size_t i = 0; i < units.size(); ++i) {
    char32_t c = units[i];
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < units.size()) {
      c = 0x10000 + ((c - 0xD800) << 10) + (units[++i] - 0xDC00);
    }
    if (c < 0x80) {
      bytes += static_cast<char>(c);
    } else if (c < 0x800) {
      bytes += static_cast<char>(0xC0 | c >> 6);
      bytes += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
      bytes += static_cast<char>(0xE0 | c >> 12);
      bytes += static_cast<char>(0x80 | (c >> 6 & 0x3F));
      bytes += static_cast<char>(0x80 | (c & 0x3F));
    } else {
      bytes += static_cast<char>(0xF0 | c >> 18);
      bytes += static_cast<char>(0x80 | (c >> 12 & 0x3F));
      bytes += static_cast<char>(0x80 | (c >> 6 & 0x3F));
      bytes += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return bytes;
}

Text WithCrLf(const Text& text) {
  Text widened;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') {
      widened += u"\r\n";
      ++i;
    } else if (text[i] == u'\r' || text[i] == u'\n') {
      widened += u"\r\n";
    } else {
      widened += text[i];
    }
  }
  return widened;
}

}  // namespace

int main(int argc, char** argv) {
  const bool lf = argc > 1 && std::string(argv[1]) == "--lf";
  const std::string page((std::istreambuf_iterator<char>(std::cin)), {});
  Text text = WithCrLf(Utf16FromUtf8(page));
  reference::ConvertAspCode(text);
  if (lf) text = reference::ReplaceAll(text, u"\r\n", u"\n", reference::ExactMatch);
  const std::string code = Utf8FromUtf16(text);
  return std::fwrite(code.data(), 1, code.size(), stdout) == code.size() ? 0 : 1;
}
