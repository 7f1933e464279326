// libFuzzer target for the text boundary: UTF-8 decoding (with and without line-break
// normalisation) and encoding. Valid input round-trips exactly; invalid input is always refused at
// its first bad sequence; any UTF-16, lone surrogates included, encodes to valid UTF-8.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "app/text_encoding.h"

namespace {

using aspclip::LineBreaks;

void Require(bool condition) {
  if (!condition) std::abort();
}

void CheckDecoding(std::string_view bytes) {
  const aspclip::Utf8Decoding exact = aspclip::DecodeUtf8(bytes, LineBreaks::kAsIs);
  const aspclip::Utf8Decoding normalized = aspclip::DecodeUtf8(bytes, LineBreaks::kToCrLf);
  Require(exact.errorOffset == normalized.errorOffset);
  if (exact.errorOffset) {
    const std::size_t offset = *exact.errorOffset;
    Require(offset < bytes.size());
    const std::string_view valid = bytes.substr(0, offset);
    Require(!aspclip::DecodeUtf8(valid, LineBreaks::kAsIs).errorOffset);
    Require(exact.text.empty() && normalized.text.empty());
    return;
  }
  Require(aspclip::EncodeUtf8(exact.text, LineBreaks::kAsIs) == bytes);
  Require(normalized.text == aspclip::NormalizeLineBreaks(exact.text));
  const std::string lf = aspclip::EncodeUtf8(normalized.text, LineBreaks::kCrLfToLf);
  Require(lf.find('\r') == std::string::npos);
}

void CheckEncoding(const std::uint8_t* data, std::size_t size) {
  aspclip::Text units;
  for (std::size_t i = 0; i + 1 < size; i += 2) {
    units += static_cast<char16_t>(data[i] | (data[i + 1] << 8));
  }
  const std::string bytes = aspclip::EncodeUtf8(units, LineBreaks::kAsIs);
  const aspclip::Utf8Decoding back = aspclip::DecodeUtf8(bytes, LineBreaks::kAsIs);
  Require(!back.errorOffset);
  Require(back.text.size() == units.size());  // a lone surrogate comes back as U+FFFD, one unit
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  CheckDecoding(std::string_view(reinterpret_cast<const char*>(data), size));
  CheckEncoding(data, size);
  return 0;
}
