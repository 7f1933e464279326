// The UTF-8 check with AVX2, where the processor has it: 32 bytes at once, each byte judged by
// three table lookups on its own high nibble and on the high and low nibbles of the byte before
// it, as Keiser and Lemire describe in "Validating UTF-8 In Less Than One Instruction Per Byte".
// Bytes of ASCII alone pass with one test. The code has the target named on each function, so
// that nothing of it is run, or inlined into the rest of the program, on other processors.
#include "utf8_avx2.h"

#include "base/characters.h"

#if defined(__x86_64__) && defined(__GNUC__)
#include <immintrin.h>

#define ASPCLIP_AVX2 [[gnu::target("avx2,popcnt")]]

namespace aspclip {
namespace {

constexpr std::size_t kBlock = 32;
constexpr std::size_t kStretch = 4 * kBlock;

// The error bits of the lookups: each names a way that a byte and the one before it do not
// belong together. A byte is bad where all three lookups share a bit.
constexpr std::uint8_t kTooShort = 1 << 0;  // a lead or ASCII where a continuation is due
constexpr std::uint8_t kTooLong = 1 << 1;   // a continuation behind ASCII
constexpr std::uint8_t kOverlong3 = 1 << 2;
constexpr std::uint8_t kTooLarge = 1 << 3;  // past U+10FFFF
constexpr std::uint8_t kSurrogate = 1 << 4;
constexpr std::uint8_t kOverlong2 = 1 << 5;
constexpr std::uint8_t kTooLarge1000 = 1 << 6;  // past U+10FFFF, its second byte 1000xxxx
constexpr std::uint8_t kOverlong4 = 1 << 6;
constexpr std::uint8_t kTwoContinuations = 1 << 7;  // allowed only as a third or fourth byte
// The errors that the byte before tells by its high nibble alone.
constexpr std::uint8_t kCarry = kTooShort | kTooLong | kTwoContinuations;

ASPCLIP_AVX2 inline __m256i Table(std::uint8_t b0, std::uint8_t b1, std::uint8_t b2,
                                  std::uint8_t b3, std::uint8_t b4, std::uint8_t b5,
                                  std::uint8_t b6, std::uint8_t b7, std::uint8_t b8,
                                  std::uint8_t b9, std::uint8_t b10, std::uint8_t b11,
                                  std::uint8_t b12, std::uint8_t b13, std::uint8_t b14,
                                  std::uint8_t b15) {
  return _mm256_setr_epi8(b0, b1, b2, b3, b4, b5, b6, b7, b8, b9, b10, b11, b12, b13, b14, b15, b0,
                          b1, b2, b3, b4, b5, b6, b7, b8, b9, b10, b11, b12, b13, b14, b15);
}

// The bytes of `in` shifted `n` places on, the last `n` bytes of `before` in front.
template <int n>
ASPCLIP_AVX2 inline __m256i Behind(__m256i in, __m256i before) {
  return _mm256_alignr_epi8(in, _mm256_permute2x128_si256(before, in, 0x21), 16 - n);
}

ASPCLIP_AVX2 inline __m256i HighNibbles(__m256i bytes) {
  return _mm256_and_si256(_mm256_srli_epi16(bytes, 4), _mm256_set1_epi8(0x0F));
}

// Where the bytes of `in` break the rules of UTF-8, given the block `before` them.
ASPCLIP_AVX2 inline __m256i BlockErrors(__m256i in, __m256i before) {
  const __m256i byte1 = Behind<1>(in, before);
  const __m256i byte1High = _mm256_shuffle_epi8(
      Table(kTooLong, kTooLong, kTooLong, kTooLong, kTooLong, kTooLong, kTooLong, kTooLong,
            kTwoContinuations, kTwoContinuations, kTwoContinuations, kTwoContinuations,
            kTooShort | kOverlong2, kTooShort, kTooShort | kOverlong3 | kSurrogate,
            kTooShort | kTooLarge | kTooLarge1000 | kOverlong4),
      HighNibbles(byte1));
  constexpr std::uint8_t kLarge = kCarry | kTooLarge | kTooLarge1000;
  const __m256i byte1Low = _mm256_shuffle_epi8(
      Table(kCarry | kOverlong3 | kOverlong2 | kOverlong4, kCarry | kOverlong2, kCarry, kCarry,
            kCarry | kTooLarge, kLarge, kLarge, kLarge, kLarge, kLarge, kLarge, kLarge, kLarge,
            kLarge | kSurrogate, kLarge, kLarge),
      _mm256_and_si256(byte1, _mm256_set1_epi8(0x0F)));
  constexpr std::uint8_t kContinuation = kTooLong | kOverlong2 | kTwoContinuations;
  const __m256i byte2High = _mm256_shuffle_epi8(
      Table(kTooShort, kTooShort, kTooShort, kTooShort, kTooShort, kTooShort, kTooShort, kTooShort,
            kContinuation | kOverlong3 | kTooLarge1000 | kOverlong4,
            kContinuation | kOverlong3 | kTooLarge, kContinuation | kSurrogate | kTooLarge,
            kContinuation | kSurrogate | kTooLarge, kTooShort, kTooShort, kTooShort, kTooShort),
      HighNibbles(in));
  const __m256i special = _mm256_and_si256(_mm256_and_si256(byte1High, byte1Low), byte2High);
  // A third or fourth byte must be a continuation, and is two continuations in a row: the two
  // cancel. Only a byte two behind of 111xxxxx, or three behind of 1111xxxx, reaches 0x80 here.
  const __m256i third = _mm256_subs_epu8(Behind<2>(in, before), _mm256_set1_epi8(0xE0 - 0x80));
  const __m256i fourth = _mm256_subs_epu8(Behind<3>(in, before), _mm256_set1_epi8(0xF0 - 0x80));
  const __m256i due = _mm256_and_si256(_mm256_or_si256(third, fourth), _mm256_set1_epi8(0x80));
  return _mm256_xor_si256(due, special);
}

// Set where a sequence that starts in the block's last three bytes needs bytes beyond it.
ASPCLIP_AVX2 inline __m256i Unfinished(__m256i block) {
  const __m256i most =
      _mm256_setr_epi8(-1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1,
                       -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, static_cast<char>(0xF0 - 1),
                       static_cast<char>(0xE0 - 1), static_cast<char>(0xC0 - 1));
  return _mm256_subs_epu8(block, most);
}

ASPCLIP_AVX2 inline __m256i Load(const char* at) {
  return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(at));
}

// Set where a CR has no LF behind it, or an LF no CR before it; the byte behind must be readable.
ASPCLIP_AVX2 inline __m256i LoneLineBreaks(const char* at) {
  return _mm256_xor_si256(_mm256_cmpeq_epi8(Load(at), _mm256_set1_epi8('\r')),
                          _mm256_cmpeq_epi8(Load(at + 1), _mm256_set1_epi8('\n')));
}

ASPCLIP_AVX2 inline bool AllZero(__m256i v) {
  return _mm256_testz_si256(v, v) != 0;
}

// The lone line breaks of a stretch, which a page of CR LF seldom holds: found at once for the
// stretch, and counted only where there are some.
ASPCLIP_AVX2 inline std::size_t LoneLineBreaksOfStretch(const char* stretch) {
  __m256i lone[kStretch / kBlock], any = _mm256_setzero_si256();
  for (std::size_t k = 0; k < kStretch / kBlock; ++k) {
    lone[k] = LoneLineBreaks(stretch + k * kBlock);
    any = _mm256_or_si256(any, lone[k]);
  }
  if (AllZero(any)) return 0;
  std::size_t count = 0;
  for (const __m256i bits : lone)
    count += static_cast<std::size_t>(
        __builtin_popcount(static_cast<std::uint32_t>(_mm256_movemask_epi8(bits))));
  return count;
}

ASPCLIP_AVX2 std::size_t CheckWithAvx2(std::string_view bytes, std::size_t& loneLineBreaks) {
  const char* at = bytes.data();
  __m256i before = _mm256_setzero_si256(), unfinished = before;
  std::size_t i = 0;
  for (; bytes.size() - i > kStretch; i += kStretch) {  // the stretch, and the byte behind it
    PrefetchPageAhead(bytes, i);
    const char* stretch = at + i;
    const __m256i b0 = Load(stretch), b1 = Load(stretch + kBlock), b2 = Load(stretch + 2 * kBlock),
                  b3 = Load(stretch + 3 * kBlock);
    // A sequence unfinished before ASCII alone is an error; before other bytes, the lookups
    // judge its continuations.
    __m256i errors = unfinished;
    if (_mm256_movemask_epi8(_mm256_or_si256(_mm256_or_si256(b0, b1), _mm256_or_si256(b2, b3)))) {
      errors = _mm256_or_si256(_mm256_or_si256(BlockErrors(b0, before), BlockErrors(b1, b0)),
                               _mm256_or_si256(BlockErrors(b2, b1), BlockErrors(b3, b2)));
      unfinished = Unfinished(b3);
    } else {
      unfinished = _mm256_setzero_si256();
    }
    if (!AllZero(errors)) break;
    before = b3;
    loneLineBreaks += LoneLineBreaksOfStretch(stretch);
  }
  // A sequence may reach past `i`: the checking goes on from its first byte.
  return WholeSequencesEnd(bytes, i);
}

}  // namespace

std::size_t CheckedWithWideVectors(std::string_view bytes, std::size_t& loneLineBreaks) {
  static const bool hasAvx2 = [] {
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx2") && __builtin_cpu_supports("popcnt");
  }();
  return hasAvx2 ? CheckWithAvx2(bytes, loneLineBreaks) : 0;
}

}  // namespace aspclip
#else
namespace aspclip {

std::size_t CheckedWithWideVectors(std::string_view, std::size_t&) {
  return 0;
}

}  // namespace aspclip
#endif
