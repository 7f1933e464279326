// The scans every stage is built on: finding the next byte of interest sixteen at a time where the
// processor allows, and measuring text as Visual Basic counts it. Building with
// ASPCLIP_SCALAR_SCAN forces the plain loops, so that they are tested and fuzzed as well.
#pragma once

#include <algorithm>
#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

#if !defined(ASPCLIP_SCALAR_SCAN) && defined(__SSE2__)
#define ASPCLIP_SSE2_SCAN 1
#include <emmintrin.h>
#elif !defined(ASPCLIP_SCALAR_SCAN) && defined(__aarch64__) && defined(__ARM_NEON)
#define ASPCLIP_NEON_SCAN 1
#include <arm_neon.h>
#endif

namespace aspclip {
// The plain and the vector scans have names of their own, so that a program may hold both engines.
#if defined(ASPCLIP_SCALAR_SCAN)
inline namespace scalar_scan {
#else
inline namespace vector_scan {
#endif

// Every scan and search answers this where it finds nothing.
inline constexpr std::size_t kNotFound = std::string_view::npos;

// The bytes a scan stops at.
template <std::size_t N>
using StopBytes = std::array<char, N>;

// A block of bytes whose stops are found at once, as a bit mask.
inline constexpr std::size_t kBlockBytes = 16;
inline constexpr std::uint32_t kBlockAll = (1U << kBlockBytes) - 1;

namespace scan_detail {

#if defined(ASPCLIP_SSE2_SCAN)
constexpr std::size_t kVector = 16;

// One bit for each of the 16 bytes at `at` that is one of `stops`.
template <std::size_t N>
inline unsigned HitMask(const char* at, const StopBytes<N>& stops) {
  const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
  __m128i hits = _mm_cmpeq_epi8(bytes, _mm_set1_epi8(stops[0]));
  for (std::size_t k = 1; k < N; ++k)
    hits = _mm_or_si128(hits, _mm_cmpeq_epi8(bytes, _mm_set1_epi8(stops[k])));
  return static_cast<unsigned>(_mm_movemask_epi8(hits));
}

inline std::size_t FirstHit(unsigned mask) {
  return static_cast<std::size_t>(__builtin_ctz(mask));
}
inline std::size_t LastHit(unsigned mask) {
  return static_cast<std::size_t>(31 - __builtin_clz(mask));
}
#elif defined(ASPCLIP_NEON_SCAN)
constexpr std::size_t kVector = 16;

// Four bits for each byte of a comparison's result: all set where it holds.
inline std::uint64_t Nibbles(uint8x16_t hits) {
  const uint8x8_t nibbles = vshrn_n_u16(vreinterpretq_u16_u8(hits), 4);
  return vget_lane_u64(vreinterpret_u64_u8(nibbles), 0);
}

// Four bits for each of the 16 bytes at `at` that is one of `stops`.
template <std::size_t N>
inline std::uint64_t HitMask(const char* at, const StopBytes<N>& stops) {
  const uint8x16_t bytes = vld1q_u8(reinterpret_cast<const std::uint8_t*>(at));
  uint8x16_t hits = vceqq_u8(bytes, vdupq_n_u8(static_cast<std::uint8_t>(stops[0])));
  for (std::size_t k = 1; k < N; ++k)
    hits = vorrq_u8(hits, vceqq_u8(bytes, vdupq_n_u8(static_cast<std::uint8_t>(stops[k]))));
  return Nibbles(hits);
}

// Four bits for each of the 16 bytes at `at` whose top bit is set.
inline std::uint64_t TopBitMask(const char* at) {
  return Nibbles(vcltzq_s8(vld1q_s8(reinterpret_cast<const std::int8_t*>(at))));
}

// Four bits a byte, gathered to one: every fourth bit moved down next to the others.
inline std::uint32_t OneBitEach(std::uint64_t m) {
  m &= 0x1111111111111111;
  m = (m | m >> 3) & 0x0303030303030303;
  m = (m | m >> 6) & 0x000F000F000F000F;
  m = (m | m >> 12) & 0x000000FF000000FF;
  m = (m | m >> 24) & 0xFFFF;
  return static_cast<std::uint32_t>(m);
}

inline std::size_t FirstHit(std::uint64_t mask) {
  return static_cast<std::size_t>(__builtin_ctzll(mask)) / 4;
}
inline std::size_t LastHit(std::uint64_t mask) {
  return static_cast<std::size_t>(63 - __builtin_clzll(mask)) / 4;
}
#endif

template <std::size_t N>
inline bool IsStop(char c, const StopBytes<N>& stops) {
  for (const char stop : stops) {
    if (c == stop) return true;
  }
  return false;
}

}  // namespace scan_detail

// The 16 bytes at `at`, one bit each (bit k for byte k): set where the byte is one of `stops`.
template <std::size_t N>
inline std::uint32_t BlockMask(const char* at, const StopBytes<N>& stops) {
#if defined(ASPCLIP_SSE2_SCAN)
  return scan_detail::HitMask(at, stops);
#elif defined(ASPCLIP_NEON_SCAN)
  return scan_detail::OneBitEach(scan_detail::HitMask(at, stops));
#else
  std::uint32_t mask = 0;
  for (std::size_t k = 0; k < kBlockBytes; ++k)
    mask |= static_cast<std::uint32_t>(scan_detail::IsStop(at[k], stops)) << k;
  return mask;
#endif
}

// The 16 bytes at `at`, one bit each: set where the byte is beyond ASCII (its top bit set).
inline std::uint32_t BeyondAsciiMask(const char* at) {
#if defined(ASPCLIP_SSE2_SCAN)
  return static_cast<std::uint32_t>(
      _mm_movemask_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(at))));
#elif defined(ASPCLIP_NEON_SCAN)
  return scan_detail::OneBitEach(scan_detail::TopBitMask(at));
#else
  std::uint32_t mask = 0;
  for (std::size_t k = 0; k < kBlockBytes; ++k)
    mask |= static_cast<std::uint32_t>(static_cast<unsigned char>(at[k]) >> 7) << k;
  return mask;
#endif
}

// The bits below bit `count`.
inline std::uint32_t LowBits(std::size_t count) {
  return count >= kBlockBytes ? kBlockAll : (std::uint32_t{1} << count) - 1;
}

// The bytes of `text` from `i` on, fewer than a block, one bit each as `maskOf` gives them for a
// block: read as the text's last block, so that no byte past its end is read. The text holds a
// block at least.
template <typename MaskOf>
inline std::uint32_t LastBlockMask(std::string_view text, std::size_t i, MaskOf maskOf) {
  const std::size_t back = text.size() - kBlockBytes;
  return maskOf(text.data() + back) >> (i - back);
}

// The index of the first byte at or after `from` that is one of `stops`.
template <std::size_t N>
inline std::size_t FindFirstOf(std::string_view text, std::size_t from, const StopBytes<N>& stops) {
  std::size_t i = from;
#if defined(ASPCLIP_SSE2_SCAN) || defined(ASPCLIP_NEON_SCAN)
  for (; i + scan_detail::kVector <= text.size(); i += scan_detail::kVector) {
    if (const auto mask = scan_detail::HitMask(text.data() + i, stops); mask != 0) {
      return i + scan_detail::FirstHit(mask);
    }
  }
#endif
  if (i >= text.size()) return kNotFound;
  if (text.size() - i < kBlockBytes && text.size() >= kBlockBytes) {
    const std::uint32_t tail =
        LastBlockMask(text, i, [&](const char* at) { return BlockMask(at, stops); });
    return tail != 0 ? i + static_cast<std::size_t>(std::countr_zero(tail)) : kNotFound;
  }
  for (; i < text.size(); ++i) {
    if (scan_detail::IsStop(text[i], stops)) return i;
  }
  return kNotFound;
}

// Whether `text` holds an odd number of `byte`: the blocks' masks folded into one, whose parity
// is taken once.
inline bool OddCountOf(std::string_view text, char byte) {
  std::uint32_t folded = 0;
  std::size_t i = 0;
  for (; text.size() - i >= kBlockBytes; i += kBlockBytes)
    folded ^= BlockMask(text.data() + i, StopBytes<1>{byte});
  for (; i < text.size(); ++i)
    folded ^= text[i] == byte;
  return __builtin_parity(folded) != 0;
}

inline std::size_t FindFirstOf(std::string_view text, std::size_t from, char stop) {
  return FindFirstOf(text, from, StopBytes<1>{stop});
}

// The index of the last `stop` before `end`.
inline std::size_t FindLastOf(std::string_view text, std::size_t end, char stop) {
  std::size_t i = end;
#if defined(ASPCLIP_SSE2_SCAN) || defined(ASPCLIP_NEON_SCAN)
  for (; i >= scan_detail::kVector; i -= scan_detail::kVector) {
    const char* block = text.data() + i - scan_detail::kVector;
    if (const auto mask = scan_detail::HitMask(block, StopBytes<1>{stop}); mask != 0) {
      return i - scan_detail::kVector + scan_detail::LastHit(mask);
    }
  }
#endif
  while (i-- > 0) {
    if (text[i] == stop) return i;
  }
  return kNotFound;
}

// The index just past the run of `byte` that starts at `from`.
inline std::size_t RunEnd(std::string_view text, std::size_t from, char byte) {
  // Most runs are a byte or two long, which the first two bytes on their own tell.
  constexpr std::size_t kShortRun = 2;
  std::size_t i = from;
  for (const std::size_t shortEnd = std::min(text.size(), from + kShortRun); i < shortEnd; ++i) {
    if (text[i] != byte) return i;
  }
  for (; text.size() - i >= kBlockBytes; i += kBlockBytes) {
    const std::uint32_t other = ~BlockMask(text.data() + i, StopBytes<1>{byte}) & kBlockAll;
    if (other != 0) return i + static_cast<std::size_t>(std::countr_zero(other));
  }
  while (i < text.size() && text[i] == byte)
    ++i;
  return i;
}

// A byte that continues a UTF-8 (or WTF-8) sequence: 10xxxxxx.
inline bool IsContinuationByte(char byte) {
  return (static_cast<unsigned char>(byte) & 0xC0) == 0x80;
}

// How many bytes a UTF-8 (or WTF-8) sequence takes, judged by its first byte.
inline std::size_t SequenceLength(char lead) {
  const auto byte = static_cast<unsigned char>(lead);
  return byte < 0xC0 ? 1 : byte < 0xE0 ? 2 : byte < 0xF0 ? 3 : 4;
}

// The length of UTF-8 (or WTF-8) text in UTF-16 code units, as Visual Basic counts it: every byte
// but a continuation byte (10xxxxxx) starts a character, and one of four bytes (1111xxxx) needs a
// surrogate pair. Eight bytes at a time, each byte's top bits lined up with its bit 7.
inline std::size_t Utf16Length(std::string_view text) {
  constexpr std::uint64_t kTopBits = 0x8080808080808080, kLowBits = kTopBits >> 7;
  constexpr std::size_t kWord = sizeof(std::uint64_t);
  // The sum of the bytes' bits 7, gathered in the top byte by one multiplication.
  const auto countTopBits = [](std::uint64_t bits) {
    return static_cast<std::size_t>(((bits >> 7) * kLowBits) >> (8 * (kWord - 1)));
  };
  std::size_t units = 0, i = 0;
  for (; i + kWord <= text.size(); i += kWord) {
    std::uint64_t w;
    std::memcpy(&w, text.data() + i, kWord);
    if ((w & kTopBits) == 0) {  // ASCII
      units += kWord;
      continue;
    }
    const std::uint64_t continuations = w & ~(w << 1) & kTopBits;
    const std::uint64_t fourByteLeads = w & (w << 1) & (w << 2) & (w << 3) & kTopBits;
    units += kWord - countTopBits(continuations) + countTopBits(fourByteLeads);
  }
  for (; i < text.size(); ++i) {
    const auto byte = static_cast<unsigned char>(text[i]);
    units += ((byte & 0xC0) != 0x80) + (byte >= 0xF0);
  }
  return units;
}

// FindFirstOf, adding to `units` the Utf16Length of the bytes it passes over: text beyond ASCII is
// rare enough in a page that a block holding some is measured on its own.
template <std::size_t N>
inline std::size_t FindFirstOfMeasuring(std::string_view text, std::size_t from,
                                        const StopBytes<N>& stops, std::size_t& units) {
  std::size_t i = from;
  for (; text.size() - i >= kBlockBytes; i += kBlockBytes) {
    const char* at = text.data() + i;
    const std::uint32_t hits = BlockMask(at, stops);
    const std::size_t passed =
        hits != 0 ? static_cast<std::size_t>(std::countr_zero(hits)) : kBlockBytes;
    units += (BeyondAsciiMask(at) & LowBits(passed)) != 0 ? Utf16Length({at, passed}) : passed;
    if (hits != 0) return i + passed;
  }
  if (i >= text.size()) return kNotFound;
  if (text.size() < kBlockBytes) {
    const std::size_t stop = FindFirstOf(text, i, stops);
    units += Utf16Length(text.substr(i, stop - i));
    return stop;
  }
  const std::uint32_t hits =
      LastBlockMask(text, i, [&](const char* at) { return BlockMask(at, stops); });
  const std::size_t passed =
      hits != 0 ? static_cast<std::size_t>(std::countr_zero(hits)) : text.size() - i;
  const bool ascii = (LastBlockMask(text, i, BeyondAsciiMask) & LowBits(passed)) == 0;
  units += ascii ? passed : Utf16Length(text.substr(i, passed));
  return hits != 0 ? i + passed : kNotFound;
}

}  // inline namespace
}  // namespace aspclip
