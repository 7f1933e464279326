// Characters as the engine and the text boundary meet them: UTF-8 (or WTF-8) sequences, their
// length in UTF-16 code units as Visual Basic counts it, and the ASCII case fold.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

namespace aspclip {

// Folds A-Z to a-z and leaves every other byte alone: no letter beyond ASCII takes part in a match.
constexpr char FoldCase(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c + ('a' - 'A')) : c;
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

// A text shorter than a word, as a word holds it in memory, zero bytes behind it: moved as two
// overlapping halves, or as its first, middle and last byte, without a call to memcpy.
inline std::uint64_t ShortTextWord(std::string_view text) {
  constexpr std::size_t kHalf = characters_detail::kWord / 2;
  const std::size_t size = text.size();
  char bytes[characters_detail::kWord] = {};
  if (size >= kHalf) {
    std::memcpy(bytes, text.data(), kHalf);
    std::memcpy(bytes + size - kHalf, text.data() + size - kHalf, kHalf);
  } else if (size > 0) {
    bytes[0] = text[0];
    bytes[size / 2] = text[size / 2];
    bytes[size - 1] = text[size - 1];
  }
  std::uint64_t w;
  std::memcpy(&w, bytes, sizeof w);
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
