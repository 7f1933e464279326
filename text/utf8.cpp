#include "utf8.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <vector>

#include "base/scan.h"
#include "base/workers.h"
#include "line_breaks.h"
#include "utf8_avx2.h"

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

// Passes `i` over the valid sequences that start before `to`. False when one is invalid, `i` then
// standing at its first byte.
bool ValidUntil(std::string_view bytes, std::size_t& i, std::size_t to) {
  // Most of a page is ASCII, whose runs are passed over a window at a time.
  while (i < to) {
    if (to - i >= kWindowBytes && WindowMask(bytes.data() + i, BeyondAsciiMask) == 0) {
      i += kWindowBytes;
      continue;
    }
    if (const std::size_t ascii = AsciiRunAt(bytes, i); ascii > 0) {
      i += ascii;
      continue;
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

// Where a part of the bytes may start: at a character's first byte, and not at the LF of a CR LF,
// so that each part is judged on its own as it is within the whole. From `at` on; the start of the
// bytes is always one.
std::size_t PartStart(std::string_view bytes, std::size_t at) {
  while (at > 0 && at < bytes.size() && (IsContinuationByte(bytes[at]) || bytes[at - 1] == '\r'))
    ++at;
  return at;
}

// From where the check with wider vectors stops, if it runs, a window at a time: its lone line
// breaks are counted as in LoneLineBreaksIn, and it is validated sequence by sequence only when it
// holds bytes beyond ASCII. A sequence may reach into the next window, which then starts validated
// that far.
Utf8Scan ScanPart(std::string_view bytes, bool wideVectors) {
  const char* at = bytes.data();
  Utf8Scan scan{kNotFound, bytes.starts_with('\n')};
  std::size_t valid = wideVectors ? CheckedWithWideVectors(bytes, scan.loneLineBreaks) : 0;
  std::size_t i = valid;
  for (; bytes.size() - i > kWindowBytes; i += kWindowBytes) {  // the window, and the byte behind
    PrefetchPageAhead(bytes, i);  // a page freshly read or mapped comes from memory
    if (const std::uint64_t loneBits = WindowMask(at + i, LoneLineBreakBits); loneBits != 0)
      scan.loneLineBreaks += static_cast<std::size_t>(std::popcount(loneBits));
    if (WindowMask(at + i, BeyondAsciiMask) == 0) {
      valid = i + kWindowBytes;
    } else if (!ValidUntil(bytes, valid, i + kWindowBytes)) {
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

}  // namespace

std::size_t FindInvalidUtf8(std::string_view bytes) {
  std::size_t i = 0;
  return ValidUntil(bytes, i, bytes.size()) ? kNotFound : i;
}

Utf8Scan ScanUtf8InParts(std::string_view bytes, std::size_t parts, bool wideVectors) {
  std::vector<std::size_t> starts = {0};
  for (std::size_t k = 1; k < parts; ++k)
    starts.push_back(PartStart(bytes, std::max(starts.back(), bytes.size() / parts * k)));
  starts.push_back(bytes.size());
  std::vector<Utf8Scan> scans(parts);
  RunParts(parts, [&](std::size_t k) {
    scans[k] = ScanPart(bytes.substr(starts[k], starts[k + 1] - starts[k]), wideVectors);
  });
  Utf8Scan whole{kNotFound, 0};
  for (std::size_t k = 0; k < parts; ++k) {
    if (scans[k].badByte != kNotFound) return {starts[k] + scans[k].badByte, 0};
    whole.loneLineBreaks += scans[k].loneLineBreaks;
  }
  return whole;
}

// Bytes fresh from memory are read at a fraction of the speed of the scan: a large text is
// scanned in parts, one a core at once.
Utf8Scan ScanUtf8(std::string_view bytes) {
  return ScanUtf8InParts(bytes, bytes.size() < kLeastBytesInParts ? 1 : Cores());
}

}  // namespace aspclip
