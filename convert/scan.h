// The scans every pass is built on: finding the next code unit of interest, eight at a time where
// the processor allows.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "text_ops.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace aspclip {

// Up to four code units to stop at; repeat one to fill the set.
using StopUnits = std::array<char16_t, 4>;

// The index of the first unit at or after `from` that is one of `stops`; text.size() when none is.
inline std::size_t FindFirstOf(TextView text, std::size_t from, const StopUnits& stops) {
  const char16_t* const data = text.data();
  const std::size_t size = text.size();
  std::size_t i = from;
#if defined(__SSE2__)
  const __m128i s0 = _mm_set1_epi16(static_cast<short>(stops[0]));
  const __m128i s1 = _mm_set1_epi16(static_cast<short>(stops[1]));
  const __m128i s2 = _mm_set1_epi16(static_cast<short>(stops[2]));
  const __m128i s3 = _mm_set1_epi16(static_cast<short>(stops[3]));
  for (; i + 8 <= size; i += 8) {
    const __m128i units = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + i));
    const __m128i hits =
        _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi16(units, s0), _mm_cmpeq_epi16(units, s1)),
                     _mm_or_si128(_mm_cmpeq_epi16(units, s2), _mm_cmpeq_epi16(units, s3)));
    if (const int mask = _mm_movemask_epi8(hits); mask != 0) return i + __builtin_ctz(mask) / 2;
  }
#endif
  for (; i < size; ++i) {
    const char16_t c = data[i];
    if (c == stops[0] || c == stops[1] || c == stops[2] || c == stops[3]) return i;
  }
  return size;
}

// The index of the first `unit` at or after `from`; text.size() when there is none.
inline std::size_t FindFirstOf(TextView text, std::size_t from, char16_t unit) {
  return FindFirstOf(text, from, {unit, unit, unit, unit});
}

// The index just past the run of `unit` that starts at `from`.
inline std::size_t RunEnd(TextView text, std::size_t from, char16_t unit) {
  while (from < text.size() && text[from] == unit)
    ++from;
  return from;
}

// How many units of `text` are `unit`.
inline std::size_t CountOf(TextView text, char16_t unit) {
  const char16_t* const data = text.data();
  const std::size_t size = text.size();
  std::size_t count = 0, i = 0;
#if defined(__SSE2__)
  // Each 16-bit lane counts its matches (a match compares as -1); lanes are summed before any can
  // overflow.
  const __m128i wanted = _mm_set1_epi16(static_cast<short>(unit));
  while (i + 8 <= size) {
    __m128i lanes = _mm_setzero_si128();
    for (int round = 0; round < 0xFFFF && i + 8 <= size; ++round, i += 8) {
      const __m128i units = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + i));
      lanes = _mm_sub_epi16(lanes, _mm_cmpeq_epi16(units, wanted));
    }
    alignas(16) std::uint16_t sums[8];
    _mm_store_si128(reinterpret_cast<__m128i*>(sums), lanes);
    for (const std::uint16_t sum : sums)
      count += sum;
  }
#endif
  for (; i < size; ++i)
    count += data[i] == unit;
  return count;
}

// The index of the first `pattern` at or after `from`; TextView::npos when there is none.
inline std::size_t FindPattern(TextView text, std::size_t from, TextView pattern) {
  for (std::size_t i = from;; ++i) {
    i = FindFirstOf(text, i, pattern.front());
    if (i == text.size()) return TextView::npos;
    if (text.substr(i, pattern.size()) == pattern) return i;
  }
}

}  // namespace aspclip
