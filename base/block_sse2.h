// The block masks with SSE2, which every x86-64 processor has.
#pragma once

#include <emmintrin.h>

namespace aspclip::inline vector_scan {

// Set where the byte is one of `stops`.
template <std::size_t N>
inline std::uint32_t BlockMask(const char* at, const StopBytes<N>& stops) {
  const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
  __m128i hits = _mm_cmpeq_epi8(bytes, _mm_set1_epi8(stops[0]));
  for (std::size_t k = 1; k < N; ++k)
    hits = _mm_or_si128(hits, _mm_cmpeq_epi8(bytes, _mm_set1_epi8(stops[k])));
  return static_cast<std::uint32_t>(_mm_movemask_epi8(hits));
}

// Whether a byte of the window at `at` is one of `stops`: the blocks' comparisons are joined
// before one mask is taken.
template <std::size_t N>
inline bool WindowHolds(const char* at, const StopBytes<N>& stops) {
  __m128i hits = _mm_setzero_si128();
  for (std::size_t k = 0; k < kWindowBytes; k += kBlockBytes) {
    const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at + k));
    for (const char stop : stops)
      hits = _mm_or_si128(hits, _mm_cmpeq_epi8(bytes, _mm_set1_epi8(stop)));
  }
  return _mm_movemask_epi8(hits) != 0;
}

// Set where the byte is beyond ASCII (its top bit set).
inline std::uint32_t BeyondAsciiMask(const char* at) {
  return static_cast<std::uint32_t>(
      _mm_movemask_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(at))));
}

}  // namespace aspclip::inline vector_scan
