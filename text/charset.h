// The character encodings aspconv reads and writes pages in, through the platform's own converter:
// iconv(3) on Linux, MultiByteToWideChar and WideCharToMultiByte on Windows. UTF-8, the engine's
// own, passes through untouched.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

namespace aspclip {

class Charset {
 public:
  // The encoding called `name` (utf-8, windows-1252, iso-8859-1, utf-16le, ...), or nullptr with
  // `error` saying why when the platform knows no such encoding.
  static std::unique_ptr<Charset> Open(const std::string& name, std::string& error);
  virtual ~Charset() = default;

  const std::string& name() const { return name_; }
  bool IsUtf8() const { return utf8_; }

  // Appends `bytes` in this encoding as UTF-8; false with the offset of the first byte that is not
  // valid in it.
  virtual bool ToUtf8(std::string_view bytes, std::string& utf8, std::size_t& badByte) = 0;
  // Appends UTF-8 text in this encoding; false, with `error` saying why, when the converter fails.
  virtual bool FromUtf8(std::string_view utf8, std::string& bytes, std::string& error) = 0;

 protected:
  Charset(std::string name, bool utf8) : name_(std::move(name)), utf8_(utf8) {}

 private:
  std::string name_;
  bool utf8_;
};

}  // namespace aspclip
