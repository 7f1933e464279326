// The block masks with plain loops, for processors without vector instructions and for tests.
#pragma once

namespace aspclip::inline scalar_scan {

// Set where the byte is one of `stops`.
template <std::size_t N>
inline std::uint32_t BlockMask(const char* at, const StopBytes<N>& stops) {
  std::uint32_t mask = 0;
  for (std::size_t k = 0; k < kBlockBytes; ++k) {
    for (const char stop : stops)
      mask |= static_cast<std::uint32_t>(at[k] == stop) << k;
  }
  return mask;
}

// Whether a byte of the window at `at` is one of `stops`.
template <std::size_t N>
inline bool WindowHolds(const char* at, const StopBytes<N>& stops) {
  for (std::size_t k = 0; k < kWindowBytes; k += kBlockBytes) {
    if (BlockMask(at + k, stops) != 0) return true;
  }
  return false;
}

// Set where the byte is beyond ASCII (its top bit set).
inline std::uint32_t BeyondAsciiMask(const char* at) {
  std::uint32_t mask = 0;
  for (std::size_t k = 0; k < kBlockBytes; ++k)
    mask |= static_cast<std::uint32_t>(static_cast<unsigned char>(at[k]) >> 7) << k;
  return mask;
}

}  // namespace aspclip::inline scalar_scan
