#include "text_encoding.h"

#include <bit>
#include <cstdint>

#include "convert/scan.h"

namespace aspclip {
namespace {

// The length of the valid multi-byte sequence at `i`, or 0 when it is invalid.
std::size_t ValidSequenceLength(std::string_view bytes, std::size_t i) {
  const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(bytes[i + k]); };
  const unsigned char lead = byte(0);
  std::size_t length;
  char32_t minimum, codePoint;
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
    if (!IsContinuationByte(bytes[i + k])) return 0;
    codePoint = (codePoint << 6) | (byte(k) & 0x3F);
  }
  const bool surrogate = codePoint >= 0xD800 && codePoint <= 0xDFFF;
  if (codePoint < minimum || codePoint > 0x10FFFF || surrogate) return 0;
  return length;
}

bool IsHighSurrogate(char32_t c) {
  return c >= 0xD800 && c <= 0xDBFF;
}
bool IsLowSurrogate(char32_t c) {
  return c >= 0xDC00 && c <= 0xDFFF;
}

void AppendCodePoint(char32_t codePoint, std::string& out) {
  const auto put = [&out](char32_t byte) { out += static_cast<char>(byte); };
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
}

// Passes `i` over the valid sequences that start before `to`. False when one is invalid, `i` then
// standing at its first byte.
bool ValidUntil(std::string_view bytes, std::size_t& i, std::size_t to) {
  // Most of a page is ASCII, whose runs are passed over four blocks at a time.
  constexpr std::size_t kAsciiRun = 4 * kBlockBytes;
  const auto asciiRun = [&] {
    const char* at = bytes.data() + i;
    return (BeyondAsciiMask(at) | BeyondAsciiMask(at + kBlockBytes) |
            BeyondAsciiMask(at + 2 * kBlockBytes) | BeyondAsciiMask(at + 3 * kBlockBytes)) == 0;
  };
  while (i < to) {
    if (to - i >= kAsciiRun && asciiRun()) {
      i += kAsciiRun;
      continue;
    }
    if (bytes.size() - i >= kBlockBytes) {
      const std::uint32_t beyond = BeyondAsciiMask(bytes.data() + i);
      const std::size_t ascii =
          beyond != 0 ? static_cast<std::size_t>(std::countr_zero(beyond)) : kBlockBytes;
      if (ascii > 0) {
        i += ascii;
        continue;
      }
    }
    if (static_cast<unsigned char>(bytes[i]) < 0x80) {
      ++i;
    } else if (const std::size_t length = ValidSequenceLength(bytes, i); length > 0) {
      i += length;
    } else {
      return false;
    }
  }
  return true;
}

// The 16 bytes at `block`, one bit each: set where a line break is lone, read with the byte behind
// them. A CR with an LF behind it marks the pair twice, which cancels out, so what is left marked
// is a CR with no LF behind it or an LF with no CR before it.
std::uint32_t LoneBits(const char* block) {
  return BlockMask(block, StopBytes<1>{'\r'}) ^ BlockMask(block + 1, StopBytes<1>{'\n'});
}

// The lone line breaks that a CR at `from` to `to` - 1, or an LF one byte further on, makes, a
// block at a time. Most blocks of a page hold none, and cost no branch per line break.
std::size_t LoneLineBreaksIn(std::string_view text, std::size_t from, std::size_t to) {
  const char* at = text.data();
  std::size_t lone = 0, i = from;
  for (; to - i >= kBlockBytes && text.size() - i > kBlockBytes; i += kBlockBytes) {
    if (const std::uint32_t loneBits = LoneBits(at + i); loneBits != 0)
      lone += static_cast<std::size_t>(std::popcount(loneBits));
  }
  for (; i < to; ++i)
    lone += (at[i] == '\r') != (i + 1 < text.size() && at[i + 1] == '\n');
  return lone;
}

bool StartsWithLf(std::string_view text) {
  return text.starts_with('\n');
}

// A memory page. The processor's own prefetching stops at each one's end, so a scan over text
// fresh from memory asks for the text a memory page ahead itself.
constexpr std::size_t kMemoryPage = 4096;
void PrefetchPageAhead(std::string_view text, std::size_t i) {
  if (text.size() - i > kMemoryPage) __builtin_prefetch(text.data() + i + kMemoryPage);
}

}  // namespace

std::size_t FindInvalidUtf8(std::string_view bytes) {
  std::size_t i = 0;
  return ValidUntil(bytes, i, bytes.size()) ? kNotFound : i;
}

std::size_t CountLoneLineBreaks(std::string_view text) {
  return StartsWithLf(text) + LoneLineBreaksIn(text, 0, text.size());
}

// Four blocks at a time: their lone line breaks are counted as in LoneLineBreaksIn, and they are
// validated sequence by sequence only when they hold bytes beyond ASCII. A sequence may reach
// into the next four blocks, which then start validated that far.
Utf8Scan ScanUtf8(std::string_view bytes) {
  constexpr std::size_t kStretch = 4 * kBlockBytes;
  const char* at = bytes.data();
  Utf8Scan scan{kNotFound, StartsWithLf(bytes)};
  std::size_t valid = 0, i = 0;
  for (; bytes.size() - i > kStretch; i += kStretch) {  // the stretch, and the byte behind it
    PrefetchPageAhead(bytes, i);  // a page freshly read or mapped comes from memory
    std::uint32_t beyond = 0;
    std::uint64_t loneBits = 0;
    for (std::size_t k = 0; k < kStretch; k += kBlockBytes) {
      const char* block = at + i + k;
      beyond |= BeyondAsciiMask(block);
      loneBits |= std::uint64_t{LoneBits(block)} << k;
    }
    if (loneBits != 0) scan.loneLineBreaks += static_cast<std::size_t>(std::popcount(loneBits));
    if (beyond == 0) {
      valid = i + kStretch;
    } else if (!ValidUntil(bytes, valid, i + kStretch)) {
      scan.badByte = valid;
      return scan;
    }
  }
  if (!ValidUntil(bytes, valid, bytes.size())) {
    scan.badByte = valid;
    return scan;
  }
  scan.loneLineBreaks += LoneLineBreaksIn(bytes, i, bytes.size());
  return scan;
}

void ExpandLoneLineBreaks(char* data, std::size_t size, std::size_t lone) {
  // From the back, so that each byte moves once and nothing is overwritten before it is read.
  std::size_t read = size, write = size + lone;
  while (lone > 0) {
    const char c = data[--read];
    const bool loneLf = c == '\n' && (read == 0 || data[read - 1] != '\r');
    const bool loneCr = c == '\r' && (read + 1 == size || data[read + 1] != '\n');
    if (loneLf || loneCr) {
      data[--write] = '\n';
      data[--write] = '\r';
      --lone;
    } else {
      data[--write] = c;
    }
  }
}

std::string WithCrLf(std::string_view text) {
  const std::size_t lone = CountLoneLineBreaks(text);
  std::string copy;
  copy.reserve(text.size() + lone);
  copy.append(text).resize(text.size() + lone);
  ExpandLoneLineBreaks(copy.data(), text.size(), lone);
  return copy;
}

void AppendWithLf(std::string_view text, std::string& out) {
  for (std::size_t i = 0;;) {
    const std::size_t cr = text.find("\r\n", i);
    out.append(text.substr(i, cr - i));
    if (cr == kNotFound) return;
    i = cr + 1;
  }
}

std::string Wtf8FromUtf16(std::u16string_view units) {
  std::string out;
  out.reserve(units.size());
  for (std::size_t i = 0; i < units.size(); ++i) {
    char32_t c = units[i];
    if (IsHighSurrogate(c) && i + 1 < units.size() && IsLowSurrogate(units[i + 1])) {
      c = 0x10000 + ((c - 0xD800) << 10) + (units[++i] - 0xDC00);
    }
    AppendCodePoint(c, out);
  }
  return out;
}

void AppendUtf16(std::string_view wtf8, std::u16string& out) {
  for (std::size_t i = 0; i < wtf8.size();) {
    const auto lead = static_cast<unsigned char>(wtf8[i]);
    const std::size_t length = SequenceLength(wtf8[i]);
    char32_t c = length == 1 ? lead : lead & (0x7F >> length);
    for (std::size_t k = 1; k < length; ++k)
      c = (c << 6) | (static_cast<unsigned char>(wtf8[i + k]) & 0x3F);
    if (c >= 0x10000) {
      out += static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
      out += static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
    } else {
      out += static_cast<char16_t>(c);
    }
    i += length;
  }
}

}  // namespace aspclip
