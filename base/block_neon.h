// The block masks with NEON, which every ARM64 processor has. NEON has no instruction that
// gathers one bit a byte, so a comparison's result is first narrowed to four bits a byte.
#pragma once

#include <arm_neon.h>

namespace aspclip::inline vector_scan {
namespace block_detail {

// Four bits for each byte of a comparison's result, gathered to one bit each.
inline std::uint32_t OneBitEach(uint8x16_t hits) {
  const uint8x8_t nibbles = vshrn_n_u16(vreinterpretq_u16_u8(hits), 4);
  std::uint64_t m = vget_lane_u64(vreinterpret_u64_u8(nibbles), 0);
  m &= 0x1111111111111111;
  m = (m | m >> 3) & 0x0303030303030303;
  m = (m | m >> 6) & 0x000F000F000F000F;
  m = (m | m >> 12) & 0x000000FF000000FF;
  m = (m | m >> 24) & 0xFFFF;
  return static_cast<std::uint32_t>(m);
}

}  // namespace block_detail

// Set where the byte is one of `stops`.
template <std::size_t N>
inline std::uint32_t BlockMask(const char* at, const StopBytes<N>& stops) {
  const uint8x16_t bytes = vld1q_u8(reinterpret_cast<const std::uint8_t*>(at));
  uint8x16_t hits = vceqq_u8(bytes, vdupq_n_u8(static_cast<std::uint8_t>(stops[0])));
  for (std::size_t k = 1; k < N; ++k)
    hits = vorrq_u8(hits, vceqq_u8(bytes, vdupq_n_u8(static_cast<std::uint8_t>(stops[k]))));
  return block_detail::OneBitEach(hits);
}

// Whether a byte of the window at `at` is one of `stops`: the blocks' comparisons are joined
// before one answer is taken.
template <std::size_t N>
inline bool WindowHolds(const char* at, const StopBytes<N>& stops) {
  uint8x16_t hits = vdupq_n_u8(0);
  for (std::size_t k = 0; k < kWindowBytes; k += kBlockBytes) {
    const uint8x16_t bytes = vld1q_u8(reinterpret_cast<const std::uint8_t*>(at + k));
    for (const char stop : stops)
      hits = vorrq_u8(hits, vceqq_u8(bytes, vdupq_n_u8(static_cast<std::uint8_t>(stop))));
  }
  return vmaxvq_u8(hits) != 0;
}

// Set where the byte is beyond ASCII (its top bit set).
inline std::uint32_t BeyondAsciiMask(const char* at) {
  const int8x16_t bytes = vld1q_s8(reinterpret_cast<const std::int8_t*>(at));
  return block_detail::OneBitEach(vcltzq_s8(bytes));
}

}  // namespace aspclip::inline vector_scan
