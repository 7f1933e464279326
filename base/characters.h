// Characters as the engine and the text boundary meet them: UTF-8 (or WTF-8) sequences, their
// length in UTF-16 code units as Visual Basic counts it, and the ASCII case fold.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

namespace aspclip {

// Folds A-Z to a-z and leaves every other byte alone: no letter beyond ASCII takes part in a match.
constexpr char FoldCase(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c + ('a' - 'A')) : c;
}

// A copy with A-Z folded to a-z, as names of options, encodings, types and extensions are compared.
inline std::string LowerCase(std::string_view text) {
  std::string lower(text);
  for (char& c : lower)
    c = FoldCase(c);
  return lower;
}

// A byte that continues a UTF-8 (or WTF-8) sequence: 10xxxxxx.
inline bool IsContinuationByte(char byte) {
  return (static_cast<unsigned char>(byte) & 0xC0) == 0x80;
}

// How many bytes a UTF-8 (or WTF-8) sequence takes, judged by its first byte.
inline std::size_t SequenceLength(char lead) {
  const auto byte = static_cast<unsigned char>(lead);
  return byte < 0xC0 ? 1 : byte < 0xE0 ? 2 : byte < 0xF0 ? 3 : 4;
}

// Where the bytes before `end` stop short of a sequence that reaches past it: `end`, or that
// sequence's first byte.
inline std::size_t WholeSequencesEnd(std::string_view text, std::size_t end) {
  for (std::size_t back = 1; back <= 3 && back <= end; ++back) {
    if (!IsContinuationByte(text[end - back]))
      return SequenceLength(text[end - back]) > back ? end - back : end;
  }
  return end;
}

namespace characters_detail {

inline constexpr std::uint64_t kTopBits = 0x8080808080808080, kLowBits = kTopBits >> 7;
inline constexpr std::size_t kWord = sizeof(std::uint64_t);

// The sum of the bytes' bits 7, gathered in the top byte by one multiplication.
inline std::size_t CountTopBits(std::uint64_t bits) {
  return static_cast<std::size_t>(((bits >> 7) * kLowBits) >> (8 * (kWord - 1)));
}

}  // namespace characters_detail

// Utf16Length of the `bytes` bytes of text that `w` holds, its other bytes zero. Each byte's top
// bits are lined up with its bit 7.
inline std::size_t Utf16LengthOfWord(std::uint64_t w, std::size_t bytes) {
  using characters_detail::CountTopBits, characters_detail::kTopBits;
  if ((w & kTopBits) == 0) return bytes;  // ASCII
  const std::uint64_t continuations = w & ~(w << 1) & kTopBits;
  const std::uint64_t fourByteLeads = w & (w << 1) & (w << 2) & (w << 3) & kTopBits;
  return bytes - CountTopBits(continuations) + CountTopBits(fourByteLeads);
}

// A text shorter than a word, as a word holds it in memory, zero bytes behind it: put together in
// a register from two overlapping halves, or from its first, middle and last byte, where a byte
// written to memory and read back as part of a word would wait for the write.
inline std::uint64_t ShortTextWord(std::string_view text) {
  constexpr std::size_t kHalf = characters_detail::kWord / 2;
  const std::size_t size = text.size();
  const auto byteAt = [&](std::size_t k) {
    return std::uint64_t{static_cast<unsigned char>(text[k])} << (8 * k);
  };
  std::uint64_t w = 0;
  if constexpr (std::endian::native == std::endian::little) {
    if (size >= kHalf) {
      std::uint32_t head, tail;
      std::memcpy(&head, text.data(), kHalf);
      std::memcpy(&tail, text.data() + size - kHalf, kHalf);
      w = head | std::uint64_t{tail} << (8 * (size - kHalf));
    } else if (size > 0) {
      w = byteAt(0) | byteAt(size / 2) | byteAt(size - 1);
    }
  } else {
    for (std::size_t k = 0; k < size; ++k)
      w |= byteAt(k);
    w = __builtin_bswap64(w);
  }
  return w;
}

// The length of UTF-8 (or WTF-8) text in UTF-16 code units, as Visual Basic counts it: every byte
// but a continuation byte (10xxxxxx) starts a character, and one of four bytes (1111xxxx) needs a
// surrogate pair. Eight bytes at a time.
inline std::size_t Utf16Length(std::string_view text) {
  constexpr std::size_t kWord = characters_detail::kWord;
  if (text.size() < kWord) return Utf16LengthOfWord(ShortTextWord(text), text.size());
  std::size_t units = 0, i = 0;
  for (; i + kWord <= text.size(); i += kWord) {
    std::uint64_t w;
    std::memcpy(&w, text.data() + i, kWord);
    units += Utf16LengthOfWord(w, kWord);
  }
  if (i < text.size()) {  // the rest, as the text's last word with its counted bytes off
    std::uint64_t w;
    std::memcpy(&w, text.data() + text.size() - kWord, kWord);
    const int counted = 8 * static_cast<int>(kWord - (text.size() - i));
    w = std::endian::native == std::endian::little ? w >> counted : w << counted;
    units += Utf16LengthOfWord(w, text.size() - i);
  }
  return units;
}

}  // namespace aspclip
