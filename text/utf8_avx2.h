// The part of the UTF-8 check that uses vector instructions wider than every processor of its kind
// has, where this one has them.
#pragma once

#include <cstddef>
#include <string_view>

namespace aspclip {

// How far `bytes` are valid UTF-8, checked with AVX2 where the processor has it: up to the first
// byte of a character, short of the end by less than a stretch of 128 bytes, or of the stretch
// that holds a fault; 0 without AVX2. The lone line breaks among the checked bytes (a CR there
// with no LF behind it, an LF behind one of them with no CR before it) are added to
// `loneLineBreaks`.
std::size_t CheckedWithWideVectors(std::string_view bytes, std::size_t& loneLineBreaks);

// A memory page. The processor's own prefetching stops at each one's end, so a scan over text
// fresh from memory asks for the text a memory page ahead itself.
inline constexpr std::size_t kMemoryPage = 4096;
inline void PrefetchPageAhead(std::string_view text, std::size_t i) {
  if (text.size() - i > kMemoryPage) __builtin_prefetch(text.data() + i + kMemoryPage);
}

}  // namespace aspclip
