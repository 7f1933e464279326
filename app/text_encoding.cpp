#include "text_encoding.h"

namespace aspclip {
namespace {

bool IsContinuationByte(unsigned char b) { return (b & 0xC0) == 0x80; }

// Decodes the multi-byte sequence at `i`; returns its length, or 0 when it is invalid.
std::size_t DecodeSequence(std::string_view bytes, std::size_t i, char32_t& codePoint) {
  const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(bytes[i + k]); };
  const unsigned char lead = byte(0);
  std::size_t length;
  char32_t minimum;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2, minimum = 0x80, codePoint = lead & 0x1F;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3, minimum = 0x800, codePoint = lead & 0x0F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4, minimum = 0x10000, codePoint = lead & 0x07;
  } else {
    return 0;
  }
  if (bytes.size() - i < length) return 0;
  for (std::size_t k = 1; k < length; ++k) {
    if (!IsContinuationByte(byte(k))) return 0;
    codePoint = (codePoint << 6) | (byte(k) & 0x3F);
  }
  const bool surrogate = codePoint >= 0xD800 && codePoint <= 0xDFFF;
  if (codePoint < minimum || codePoint > 0x10FFFF || surrogate) return 0;
  return length;
}

void AppendCodePoint(char32_t codePoint, Text& out) {
  if (codePoint < 0x10000) {
    out += static_cast<char16_t>(codePoint);
  } else {
    codePoint -= 0x10000;
    out += static_cast<char16_t>(0xD800 + (codePoint >> 10));
    out += static_cast<char16_t>(0xDC00 + (codePoint & 0x3FF));
  }
}

void AppendUtf8(char32_t codePoint, std::string& out) {
  if (codePoint < 0x80) {
    out += static_cast<char>(codePoint);
  } else if (codePoint < 0x800) {
    out += static_cast<char>(0xC0 | (codePoint >> 6));
    out += static_cast<char>(0x80 | (codePoint & 0x3F));
  } else if (codePoint < 0x10000) {
    out += static_cast<char>(0xE0 | (codePoint >> 12));
    out += static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (codePoint & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (codePoint >> 18));
    out += static_cast<char>(0x80 | ((codePoint >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (codePoint & 0x3F));
  }
}

bool IsHighSurrogate(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLowSurrogate(char16_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

// Appends the line break that starts at `i` as CR LF; returns how many code units it took.
template <typename Char>
std::size_t AppendNormalizedBreak(const Char* units, std::size_t size, std::size_t i, Text& out) {
  out += u"\r\n";
  return units[i] == Char('\r') && i + 1 < size && units[i + 1] == Char('\n') ? 2 : 1;
}

}  // namespace

Utf8Decoding DecodeUtf8(std::string_view bytes, LineBreaks breaks) {
  Utf8Decoding result;
  Text& text = result.text;
  text.reserve(bytes.size() + bytes.size() / 16);
  const bool normalize = breaks == LineBreaks::kToCrLf;
  for (std::size_t i = 0; i < bytes.size();) {
    const auto b = static_cast<unsigned char>(bytes[i]);
    if (b < 0x80) {
      if (normalize && (b == '\r' || b == '\n')) {
        i += AppendNormalizedBreak(bytes.data(), bytes.size(), i, text);
      } else {
        text += static_cast<char16_t>(b);
        ++i;
      }
      continue;
    }
    char32_t codePoint;
    const std::size_t length = DecodeSequence(bytes, i, codePoint);
    if (length == 0) {
      result.text.clear();
      result.errorOffset = i;
      return result;
    }
    AppendCodePoint(codePoint, text);
    i += length;
  }
  return result;
}

std::string EncodeUtf8(TextView text, LineBreaks breaks) {
  std::string out;
  out.reserve(text.size() + text.size() / 8);
  const bool toLf = breaks == LineBreaks::kCrLfToLf;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char16_t c = text[i];
    if (toLf && c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') continue;
    if (IsHighSurrogate(c) && i + 1 < text.size() && IsLowSurrogate(text[i + 1])) {
      AppendUtf8(0x10000 + ((char32_t(c) - 0xD800) << 10) + (text[i + 1] - 0xDC00), out);
      ++i;
    } else if (IsHighSurrogate(c) || IsLowSurrogate(c)) {
      AppendUtf8(0xFFFD, out);
    } else {
      AppendUtf8(c, out);
    }
  }
  return out;
}

Text NormalizeLineBreaks(TextView text) {
  Text out;
  out.reserve(text.size() + text.size() / 16);
  for (std::size_t i = 0; i < text.size();) {
    if (text[i] == u'\r' || text[i] == u'\n') {
      i += AppendNormalizedBreak(text.data(), text.size(), i, out);
    } else {
      out += text[i++];
    }
  }
  return out;
}

}  // namespace aspclip
