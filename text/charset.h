// The character encodings aspconv reads and writes pages in, through the platform's own converter:
// iconv(3) on Linux (charset_iconv.cpp), MultiByteToWideChar and WideCharToMultiByte on Windows
// (charset_win32.cpp). UTF-8, the engine's own, needs no conversion.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>

#include "base/status.h"

namespace aspclip {

class Charset {
 public:
  // The encoding called `name` (windows-1252, iso-8859-1, utf-16le, ...); `charset` is left empty
  // for UTF-8. Fails when the platform knows no such encoding.
  static Status Open(const std::string& name, std::unique_ptr<Charset>& charset);
  virtual ~Charset() = default;

  const std::string& name() const { return name_; }

  // Appends `bytes` in this encoding as UTF-8; fails at the first byte that is not valid in it.
  virtual Status ToUtf8(std::string_view bytes, std::string& utf8) = 0;

  // Appends UTF-8 text in this encoding. A text may come in pieces, each ending where a character
  // does: an encoding with a state (ISO-2022-JP, UTF-16 with its byte-order mark) keeps it from
  // piece to piece, from StartText to FinishText.
  virtual void StartText() {}
  virtual Status FromUtf8(std::string_view utf8, std::string& bytes) = 0;
  // Appends what takes the encoding back to its first state at the text's end.
  virtual Status FinishText([[maybe_unused]] std::string& bytes) { return Status::Ok(); }

  // The byte-order mark that the encoding writes on its own at the start of each text (UTF-16 and
  // UTF-32 that name no byte order), whether the page had one or not; empty for most.
  const std::string& ownByteOrderMark() const { return ownByteOrderMark_; }

 protected:
  explicit Charset(std::string name) : name_(std::move(name)) {}
  // ToUtf8's failure at the byte at `offset`.
  Status InvalidByteAt(std::size_t offset) const;
  // Called once the encoding is open: encodes a character once and twice, and what the first
  // holds more than half the second is a mark written on its own.
  void FindOwnByteOrderMark();

 private:
  // The platform's converter for an encoding other than UTF-8.
  static Status OpenConverter(const std::string& name, std::unique_ptr<Charset>& charset);

  std::string name_;
  std::string ownByteOrderMark_;
};

// The encoding that `bytes` most likely are in, by a name Charset::Open knows, or nothing when no
// guess can be made: libuchardet's guess on Linux, the system's ANSI code page on Windows.
std::string DetectCharset(std::string_view bytes);

// Upper and lower case, '-' and '_' do not tell encoding names apart: UTF-8, utf8 and Utf_8.
std::string CanonicalCharsetName(std::string_view name);

// An encoding in which every byte is one character (windows-1252, iso-8859-1, koi8-r, ...): the
// platform's converter is asked once what each byte is, and pages then convert by lookup, which is
// many times faster than a call into the converter for each page.
class SingleByteCharset final : public Charset {
 public:
  // `decodeByte` gives the UTF-8 of one byte: false when the byte is no character of the encoding.
  using DecodeByte = std::function<bool(char byte, std::string& utf8)>;
  SingleByteCharset(std::string name, const DecodeByte& decodeByte);

  Status ToUtf8(std::string_view bytes, std::string& utf8) override;
  Status FromUtf8(std::string_view utf8, std::string& bytes) override;
  // ToUtf8 of `bytes` cut into `parts` parts (one at least), each decoded on a thread of its own
  // where there are threads; the same for any number of parts.
  Status ToUtf8InParts(std::string_view bytes, std::string& utf8, std::size_t parts);

 private:
  static constexpr int kByteValues = 256;

  // Where every ASCII byte stands for itself, the ASCII at `i` is the same in both encodings: how
  // many bytes of it a block holds, or 0.
  std::size_t AsciiKeptAt(std::string_view text, std::size_t i) const;
  // The size of the UTF-8 of `bytes`; 0 when one is no character, `badByte` then saying where.
  std::size_t DecodedSize(std::string_view bytes, std::size_t& badByte) const;
  // Writes the UTF-8 of `bytes`, every one a character, at `out`.
  void Decode(std::string_view bytes, char* out) const;

  std::array<std::string, kByteValues> decoded_;
  std::array<std::uint8_t, kByteValues> lengths_{};  // of each byte's UTF-8; 0 for no character
  std::unordered_map<std::uint32_t, char> encoded_;
  bool asciiKept_ = true;  // every ASCII byte stands for itself
};

}  // namespace aspclip
