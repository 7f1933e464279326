#include "text_encoding.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace aspclip {
namespace {

bool IsContinuationByte(unsigned char b) {
  return (b & 0xC0) == 0x80;
}

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

char16_t* AppendCodePoint(char32_t codePoint, char16_t* out) {
  if (codePoint < 0x10000) {
    *out++ = static_cast<char16_t>(codePoint);
  } else {
    codePoint -= 0x10000;
    *out++ = static_cast<char16_t>(0xD800 + (codePoint >> 10));
    *out++ = static_cast<char16_t>(0xDC00 + (codePoint & 0x3FF));
  }
  return out;
}

char* AppendUtf8(char32_t codePoint, char* out) {
  const auto put = [&out](char32_t byte) { *out++ = static_cast<char>(byte); };
  if (codePoint < 0x80) {
    put(codePoint);
  } else if (codePoint < 0x800) {
    put(0xC0 | (codePoint >> 6));
    put(0x80 | (codePoint & 0x3F));
  } else if (codePoint < 0x10000) {
    put(0xE0 | (codePoint >> 12));
    put(0x80 | ((codePoint >> 6) & 0x3F));
    put(0x80 | (codePoint & 0x3F));
  } else {
    put(0xF0 | (codePoint >> 18));
    put(0x80 | ((codePoint >> 12) & 0x3F));
    put(0x80 | ((codePoint >> 6) & 0x3F));
    put(0x80 | (codePoint & 0x3F));
  }
  return out;
}

bool IsHighSurrogate(char16_t c) {
  return c >= 0xD800 && c <= 0xDBFF;
}
bool IsLowSurrogate(char16_t c) {
  return c >= 0xDC00 && c <= 0xDFFF;
}

// How many units the line break at `i` takes: two for CR LF, one for a lone CR or LF.
template <typename Unit>
std::size_t LineBreakLength(const Unit* units, std::size_t size, std::size_t i) {
  return units[i] == Unit('\r') && i + 1 < size && units[i + 1] == Unit('\n') ? 2 : 1;
}

// Written as plain counting loops so that the compiler vectorises them.
std::size_t CountBreakBytes(std::string_view bytes, std::size_t& pairs) {
  std::size_t breaks = 0;
  pairs = 0;
  for (const char b : bytes)
    breaks += b == '\r' || b == '\n';
  for (std::size_t i = 1; i < bytes.size(); ++i) {
    pairs += bytes[i - 1] == '\r' && bytes[i] == '\n';
  }
  return breaks;
}

// The number of UTF-16 code units that valid UTF-8 decodes to, so that the text is allocated once.
std::size_t DecodedSize(std::string_view bytes, bool normalize) {
  std::size_t units = 0;
  for (const char c : bytes) {
    const auto b = static_cast<unsigned char>(c);
    units += ((b & 0xC0) != 0x80) + (b >= 0xF0);  // a lead byte; four bytes take a surrogate pair
  }
  if (normalize) {  // a lone CR or LF becomes two units
    std::size_t pairs;
    units += CountBreakBytes(bytes, pairs) - 2 * pairs;
  }
  return units;
}

// True when the four units at `units` are all ASCII and, if `noCr`, none is a CR.
bool PlainAsciiQuad(const char16_t* units, bool noCr) {
  std::uint64_t word;
  std::memcpy(&word, units, sizeof word);
  constexpr std::uint64_t kLanes = 0x0001000100010001, kHigh = 0x8000800080008000;
  const std::uint64_t crs = word ^ (kLanes * u'\r');
  const bool hasCr = ((crs - kLanes) & ~crs & kHigh) != 0;
  return (word & (kLanes * 0xFF80)) == 0 && !(noCr && hasCr);
}

// The number of UTF-8 bytes that `text` encodes to.
std::size_t EncodedSize(TextView text, bool toLf) {
  std::size_t bytes = text.size();
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (i + 4 <= text.size() && PlainAsciiQuad(text.data() + i, false)) {
      i += 3;
      continue;
    }
    bytes += (text[i] >= 0x80) + (text[i] >= 0x800);
  }
  std::size_t surrogatePairs = 0, lineBreaks = 0;
  for (std::size_t i = 1; i < text.size(); ++i) {
    surrogatePairs += IsHighSurrogate(text[i - 1]) && IsLowSurrogate(text[i]);
    lineBreaks += text[i - 1] == u'\r' && text[i] == u'\n';
  }
  return bytes - 2 * surrogatePairs - (toLf ? lineBreaks : 0);  // a pair is 4 bytes, not 3 + 3
}

// Eight bytes at once: true when none is beyond ASCII and, if `plainOnly`, none is a CR or LF.
bool PlainAsciiWord(const unsigned char* in, bool plainOnly) {
  std::uint64_t word;
  std::memcpy(&word, in, sizeof word);
  constexpr std::uint64_t kOnes = 0x0101010101010101, kHighBits = 0x8080808080808080;
  const auto hasByte = [word](unsigned char b) {
    const std::uint64_t x = word ^ (kOnes * b);
    return ((x - kOnes) & ~x & kHighBits) != 0;
  };
  return (word & kHighBits) == 0 && !(plainOnly && (hasByte('\r') || hasByte('\n')));
}

}  // namespace

Utf8Decoding DecodeUtf8(std::string_view bytes, LineBreaks breaks) {
  const bool normalize = breaks == LineBreaks::kToCrLf;
  Utf8Decoding result;
  result.text.resize(DecodedSize(bytes, normalize));
  char16_t* out = result.text.data();
  const auto* in = reinterpret_cast<const unsigned char*>(bytes.data());
  for (std::size_t i = 0; i < bytes.size();) {
    if (i + 8 <= bytes.size() && PlainAsciiWord(in + i, normalize)) {
      out = std::copy(in + i, in + i + 8, out);
      i += 8;
      continue;
    }
    const unsigned char b = in[i];
    if (b < 0x80 && (!normalize || (b != '\r' && b != '\n'))) {
      *out++ = b;
      ++i;
    } else if (b < 0x80) {
      *out++ = u'\r';
      *out++ = u'\n';
      i += LineBreakLength(in, bytes.size(), i);
    } else {
      char32_t codePoint;
      const std::size_t length = DecodeSequence(bytes, i, codePoint);
      if (length == 0) {
        result.text.clear();
        result.errorOffset = i;
        return result;
      }
      out = AppendCodePoint(codePoint, out);
      i += length;
    }
  }
  return result;
}

std::string EncodeUtf8(TextView text, LineBreaks breaks) {
  const bool toLf = breaks == LineBreaks::kCrLfToLf;
  std::string encoded(EncodedSize(text, toLf), '\0');
  char* out = encoded.data();
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (i + 4 <= text.size() && PlainAsciiQuad(text.data() + i, toLf)) {
      out = std::copy(text.data() + i, text.data() + i + 4, out);
      i += 3;
      continue;
    }
    const char16_t c = text[i];
    if (c < 0x80) {
      if (!(toLf && c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n')) {
        *out++ = static_cast<char>(c);
      }
    } else if (IsHighSurrogate(c) && i + 1 < text.size() && IsLowSurrogate(text[i + 1])) {
      out = AppendUtf8(0x10000 + ((char32_t(c) - 0xD800) << 10) + (text[i + 1] - 0xDC00), out);
      ++i;
    } else if (IsHighSurrogate(c) || IsLowSurrogate(c)) {
      out = AppendUtf8(0xFFFD, out);
    } else {
      out = AppendUtf8(c, out);
    }
  }
  return encoded;
}

bool WriteUtf8(TextView text, LineBreaks breaks,
               const std::function<bool(std::string_view piece)>& write) {
  constexpr std::size_t kPieceUnits = 1 << 20;
  for (std::size_t start = 0; start < text.size();) {
    std::size_t end = std::min(start + kPieceUnits, text.size());
    // A piece never ends inside a surrogate pair or a line break.
    if (end < text.size() && (IsHighSurrogate(text[end - 1]) || text[end - 1] == u'\r')) ++end;
    if (!write(EncodeUtf8(text.substr(start, end - start), breaks))) return false;
    start = end;
  }
  return true;
}

Text NormalizeLineBreaks(TextView text) {
  Text out;
  out.reserve(text.size() + text.size() / 16);
  for (std::size_t i = 0; i < text.size();) {
    if (text[i] == u'\r' || text[i] == u'\n') {
      out += u"\r\n";
      i += LineBreakLength(text.data(), text.size(), i);
    } else {
      out += text[i++];
    }
  }
  return out;
}

}  // namespace aspclip
