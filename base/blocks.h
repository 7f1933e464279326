// The one place that knows the processor: each 16-byte block of text read as a bit mask, with the
// vector instructions there are, or with plain loops. Building with ASPCLIP_SCALAR_SCAN forces the
// plain loops, so that they are tested and fuzzed as well. The engine built either way has a
// namespace of its own, so that one program may hold both.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace aspclip {

// The bytes a scan stops at.
template <std::size_t N>
using StopBytes = std::array<char, N>;

// A block of bytes whose stops are found at once, as a bit mask: bit k for byte k.
inline constexpr std::size_t kBlockBytes = 16;
inline constexpr std::uint32_t kBlockAll = (1U << kBlockBytes) - 1;
// A window of blocks, whose bits fit one 64-bit mask.
inline constexpr std::size_t kWindowBytes = 4 * kBlockBytes;
static_assert(kWindowBytes <= 64, "a window's bits fit one mask");

}  // namespace aspclip

#if !defined(ASPCLIP_SCALAR_SCAN) && defined(__SSE2__)
#define ASPCLIP_SCAN_NAMESPACE vector_scan
#include "block_sse2.h"
#elif !defined(ASPCLIP_SCALAR_SCAN) && defined(__aarch64__) && defined(__ARM_NEON)
#define ASPCLIP_SCAN_NAMESPACE vector_scan
#include "block_neon.h"
#else
#define ASPCLIP_SCAN_NAMESPACE scalar_scan
#include "block_plain.h"
#endif
