// Line breaks at the platform boundary: the engine reads CR LF, Linux writes LF, and a page may
// hold lone CR or LF that are read as line breaks.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "base/scan.h"

namespace aspclip {

// How many CR not followed by LF, and LF not preceded by CR, the text holds.
std::size_t CountLoneLineBreaks(std::string_view text);

// The 16 bytes at `block`, one bit each: set where a line break is lone, read with the byte
// behind them. The byte behind the block must be readable. A CR with an LF behind it marks the
// pair twice, which cancels out, so what is left marked is a CR with no LF behind it or an LF with
// no CR before it. Inlined into the scans of a page, which call it for every block.
inline std::uint32_t LoneLineBreakBits(const char* block) {
  return BlockMask(block, StopBytes<1>{'\r'}) ^ BlockMask(block + 1, StopBytes<1>{'\n'});
}

// The lone line breaks that a CR at `from` to `to` - 1, or an LF one byte further on, makes.
std::size_t LoneLineBreaksIn(std::string_view text, std::size_t from, std::size_t to);

// Turns each lone CR or LF among the first `size` bytes of `data` into CR LF, in place. `data` has
// room for `lone` more bytes, `lone` being what CountLoneLineBreaks says of those `size` bytes.
void ExpandLoneLineBreaks(char* data, std::size_t size, std::size_t lone);

// A copy of `text` with each lone CR or LF turned into CR LF, made in one allocation.
std::string WithCrLf(std::string_view text);

// Appends `text` with each CR LF turned into LF.
void AppendWithLf(std::string_view text, std::string& out);

}  // namespace aspclip
