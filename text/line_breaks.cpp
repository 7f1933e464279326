#include "line_breaks.h"

#include <bit>

#include "base/scan.h"

namespace aspclip {

// A block at a time: most blocks of a page hold no lone line break, and cost no branch per line
// break.
std::size_t LoneLineBreaksIn(std::string_view text, std::size_t from, std::size_t to) {
  const char* at = text.data();
  std::size_t lone = 0, i = from;
  for (; to - i >= kBlockBytes && text.size() - i > kBlockBytes; i += kBlockBytes) {
    if (const std::uint32_t loneBits = LoneLineBreakBits(at + i); loneBits != 0)
      lone += static_cast<std::size_t>(std::popcount(loneBits));
  }
  for (; i < to; ++i)
    lone += (at[i] == '\r') != (i + 1 < text.size() && at[i + 1] == '\n');
  return lone;
}

std::size_t CountLoneLineBreaks(std::string_view text) {
  return text.starts_with('\n') + LoneLineBreaksIn(text, 0, text.size());
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

}  // namespace aspclip
