// The scans every stage is built on, each written once over the block masks: finding the next
// byte of interest a block at a time, and measuring text as Visual Basic counts it.
#pragma once

#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "blocks.h"
#include "characters.h"

namespace aspclip {

// Every scan and search answers this where it finds nothing.
inline constexpr std::size_t kNotFound = std::string_view::npos;

// The bits below bit `count`.
inline std::uint32_t LowBits(std::size_t count) {
  return count >= kBlockBytes ? kBlockAll : (std::uint32_t{1} << count) - 1;
}

inline std::size_t FirstBit(std::uint32_t mask) {
  return static_cast<std::size_t>(std::countr_zero(mask));
}
inline std::size_t LastBit(std::uint32_t mask) {
  return static_cast<std::size_t>(std::bit_width(mask)) - 1;
}

namespace scan_detail {

template <std::size_t N>
inline bool IsStop(char c, const StopBytes<N>& stops) {
  for (const char stop : stops) {
    if (c == stop) return true;
  }
  return false;
}

}  // namespace scan_detail
}  // namespace aspclip

namespace aspclip::inline ASPCLIP_SCAN_NAMESPACE {

// The bytes of `text` from `i` on, fewer than a block, one bit each as `maskOf` gives them for a
// block: read as the text's last block, so that no byte past its end is read. The text holds a
// block at least.
template <typename MaskOf>
inline std::uint32_t LastBlockMask(std::string_view text, std::size_t i, MaskOf maskOf) {
  const std::size_t back = text.size() - kBlockBytes;
  return maskOf(text.data() + back) >> (i - back);
}

// How many bytes of ASCII stand at `i`, up to a block; 0 when less than a block is left. Most of
// a page is ASCII, which this passes over a block at a time.
inline std::size_t AsciiRunAt(std::string_view text, std::size_t i) {
  if (text.size() - i < kBlockBytes) return 0;
  const std::uint32_t beyond = BeyondAsciiMask(text.data() + i);
  return beyond != 0 ? FirstBit(beyond) : kBlockBytes;
}

// The index of the first byte at or after `from` that is one of `stops`.
template <std::size_t N>
inline std::size_t FindFirstOf(std::string_view text, std::size_t from, const StopBytes<N>& stops) {
  std::size_t i = from;
  for (; i + kBlockBytes <= text.size(); i += kBlockBytes) {
    if (const std::uint32_t mask = BlockMask(text.data() + i, stops); mask != 0) {
      return i + FirstBit(mask);
    }
  }
  if (i >= text.size()) return kNotFound;
  if (text.size() >= kBlockBytes) {
    const std::uint32_t tail =
        LastBlockMask(text, i, [&](const char* at) { return BlockMask(at, stops); });
    return tail != 0 ? i + FirstBit(tail) : kNotFound;
  }
  for (; i < text.size(); ++i) {
    if (scan_detail::IsStop(text[i], stops)) return i;
  }
  return kNotFound;
}

inline std::size_t FindFirstOf(std::string_view text, std::size_t from, char stop) {
  return FindFirstOf(text, from, StopBytes<1>{stop});
}

// FindFirstOf for a byte that stands far apart, as a dot does in code: the text passes a window at
// a time, each window asked at once whether it holds one.
inline std::size_t FindFirstOfFar(std::string_view text, std::size_t from, char stop) {
  std::size_t i = from;
  while (i <= text.size() && text.size() - i >= kWindowBytes &&
         !WindowHolds(text.data() + i, StopBytes<1>{stop}))
    i += kWindowBytes;
  return FindFirstOf(text, i, stop);
}

// Calls `visit` with the index of each bit set in `mask`, lowest first.
template <typename Mask, typename Visit>
inline void ForEachBit(Mask mask, Visit visit) {
  for (; mask != 0; mask &= mask - 1)
    visit(static_cast<std::size_t>(std::countr_zero(mask)));
}

// The bytes of the window at `at`, `kBytes` long, one bit each as `maskOf` gives them for a block.
template <std::size_t kBytes = kWindowBytes, typename MaskOf>
inline std::uint64_t WindowMask(const char* at, MaskOf maskOf) {
  static_assert(kBytes % kBlockBytes == 0 && kBytes <= kWindowBytes, "a window is whole blocks");
  std::uint64_t mask = 0;
  for (std::size_t k = 0; k < kBytes; k += kBlockBytes)
    mask |= std::uint64_t{maskOf(at + k)} << k;
  return mask;
}

// Calls `visit` with the index of each `stop` at or after `from`, in order. Where stops stand
// close together, as delimiters in a page of short blocks do, each costs a few instructions
// rather than a scan of its own.
template <typename Visit>
inline void ForEachOf(std::string_view text, std::size_t from, char stop, Visit visit) {
  const auto visitEach = [&](std::size_t at, auto mask) {
    ForEachBit(mask, [&](std::size_t bit) { visit(at + bit); });
  };
  const auto blockMask = [&](const char* at) { return BlockMask(at, StopBytes<1>{stop}); };
  std::size_t i = from;
  for (; i <= text.size() && text.size() - i >= kWindowBytes; i += kWindowBytes)
    visitEach(i, WindowMask(text.data() + i, blockMask));
  for (; i + kBlockBytes <= text.size(); i += kBlockBytes)
    visitEach(i, blockMask(text.data() + i));
  if (i >= text.size()) return;
  if (text.size() >= kBlockBytes) {
    visitEach(i, LastBlockMask(text, i, blockMask));
    return;
  }
  for (; i < text.size(); ++i) {
    if (text[i] == stop) visit(i);
  }
}

// The index of the last `stop` before `end`.
inline std::size_t FindLastOf(std::string_view text, std::size_t end, char stop) {
  std::size_t i = end;
  for (; i >= kBlockBytes; i -= kBlockBytes) {
    const std::size_t block = i - kBlockBytes;
    if (const std::uint32_t mask = BlockMask(text.data() + block, StopBytes<1>{stop}); mask != 0)
      return block + LastBit(mask);
  }
  while (i-- > 0) {
    if (text[i] == stop) return i;
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
    if (other != 0) return i + FirstBit(other);
  }
  while (i < text.size() && text[i] == byte)
    ++i;
  return i;
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
    const std::size_t passed = hits != 0 ? FirstBit(hits) : kBlockBytes;
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
  const std::size_t passed = hits != 0 ? FirstBit(hits) : text.size() - i;
  const bool ascii = (LastBlockMask(text, i, BeyondAsciiMask) & LowBits(passed)) == 0;
  units += ascii ? passed : Utf16Length(text.substr(i, passed));
  return hits != 0 ? i + passed : kNotFound;
}

}  // namespace aspclip::inline ASPCLIP_SCAN_NAMESPACE
