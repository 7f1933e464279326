// The text operations the stages rest on. The engine works on UTF-8 bytes (WTF-8 where a Windows
// clipboard holds a lone surrogate); positions are 0-based and kNotFound stands for absence.
#pragma once

#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

#include "base/scan.h"

namespace aspclip::inline ASPCLIP_SCAN_NAMESPACE {

// A word of 8 to 32 bytes, matched with upper and lower case taken as equal, eight bytes at a
// time: where the word has a letter, the text's byte may differ from it in the case bit alone,
// which only the letter's other case does.
class CaseInsensitiveWord {
 public:
  constexpr explicit CaseInsensitiveWord(std::string_view word)
      : size_(word.size()), count_((word.size() + kWordBytes - 1) / kWordBytes) {
    for (std::size_t k = 0; k < count_; ++k) {
      for (std::size_t b = 0; b < kWordBytes; ++b) {
        const char c = word[Offset(k) + b];
        const bool letter = FoldCase(c) >= 'a' && FoldCase(c) <= 'z';
        const std::uint64_t caseBit = letter ? 'a' - 'A' : 0;
        caseBits_[k] |= caseBit << ByteShift(b);
        folded_[k] |= (static_cast<unsigned char>(c) | caseBit) << ByteShift(b);
      }
    }
  }

  constexpr std::size_t size() const { return size_; }

  // True when the word stands at `index` of `text`.
  bool MatchesAt(std::string_view text, std::size_t index) const {
    if (index > text.size() || text.size() - index < size_) return false;
    for (std::size_t k = 0; k < count_; ++k) {
      std::uint64_t bytes;
      std::memcpy(&bytes, text.data() + index + Offset(k), sizeof bytes);
      if ((bytes | caseBits_[k]) != folded_[k]) return false;
    }
    return true;
  }

 private:
  static constexpr std::size_t kWordBytes = sizeof(std::uint64_t), kMostWords = 4;
  // The last eight bytes overlap the ones before, so that no byte past the word is read.
  constexpr std::size_t Offset(std::size_t k) const {
    return k + 1 < count_ ? k * kWordBytes : size_ - kWordBytes;
  }
  // Where the `b`th byte in memory sits in a word loaded from it.
  static constexpr int ByteShift(std::size_t b) {
    return 8 *
           static_cast<int>(std::endian::native == std::endian::little ? b : kWordBytes - 1 - b);
  }

  std::size_t size_, count_;
  std::array<std::uint64_t, kMostWords> folded_{}, caseBits_{};
};

namespace text_ops_detail {

// Patterns are searched by their rarest byte, so that the scan stops seldom: the percent sign of
// a block delimiter, which markup hardly ever holds, rather than its angle bracket.
constexpr std::size_t AnchorOf(std::string_view pattern) {
  const std::size_t percent = pattern.find('%');
  return percent == kNotFound ? 0 : percent;
}

inline bool PatternAt(std::string_view text, std::size_t index, std::string_view pattern) {
  if (text.size() - index < pattern.size()) return false;
  for (std::size_t k = 0; k < pattern.size(); ++k) {
    if (text[index + k] != pattern[k]) return false;
  }
  return true;
}

}  // namespace text_ops_detail

// The first `pattern` that begins at or after `from`.
inline std::size_t FindFirst(std::string_view text, std::string_view pattern, std::size_t from) {
  const std::size_t anchor = text_ops_detail::AnchorOf(pattern);
  for (std::size_t i = from + anchor; (i = FindFirstOf(text, i, pattern[anchor])) != kNotFound;
       ++i) {
    if (text_ops_detail::PatternAt(text, i - anchor, pattern)) return i - anchor;
  }
  return kNotFound;
}

}  // namespace aspclip::inline ASPCLIP_SCAN_NAMESPACE
