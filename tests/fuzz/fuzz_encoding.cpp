// libFuzzer target for the text boundary: UTF-8 checking, line breaks and WTF-8. Valid input
// round-trips exactly; invalid input is always refused at its first bad sequence; any UTF-16,
// lone surrogates included, comes back from WTF-8 unit for unit.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "base/scan.h"
#include "text/line_breaks.h"
#include "text/utf8.h"
#include "text/wtf8.h"

namespace {

void Require(bool condition) {
  if (!condition) std::abort();
}

void CheckUtf8(std::string_view bytes) {
  const std::size_t bad = aspclip::FindInvalidUtf8(bytes);
  // The one-pass check of a page finds the same, and counts as the plain count does.
  const aspclip::Utf8Scan scan = aspclip::ScanUtf8(bytes);
  Require(scan.badByte == bad);
  // As it is scanned in parts when it is large.
  const aspclip::Utf8Scan inParts = aspclip::ScanUtf8InParts(bytes, 1 + bytes.size() % 5);
  Require(inParts.badByte == bad &&
          (bad != aspclip::kNotFound || inParts.loneLineBreaks == scan.loneLineBreaks));
  Require(bad != aspclip::kNotFound || scan.loneLineBreaks == aspclip::CountLoneLineBreaks(bytes));
  // And without the widest vectors the processor has.
  const aspclip::Utf8Scan narrow = aspclip::ScanUtf8InParts(bytes, 1, false);
  Require(narrow.badByte == bad &&
          (bad != aspclip::kNotFound || narrow.loneLineBreaks == scan.loneLineBreaks));
  if (bad != aspclip::kNotFound) {
    Require(bad < bytes.size());
    Require(aspclip::FindInvalidUtf8(bytes.substr(0, bad)) == aspclip::kNotFound);
    return;
  }
  std::u16string units;
  aspclip::AppendUtf16(bytes, units);
  Require(aspclip::Wtf8FromUtf16(units) == bytes);
}

// The line breaks as plainly as they can be said, a byte at a time.
std::string PlainCrLf(std::string_view bytes) {
  std::string crlf;
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    const bool pair = bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n';
    if (pair || bytes[i] == '\r' || bytes[i] == '\n') {
      crlf += "\r\n";
      i += pair;
    } else {
      crlf += bytes[i];
    }
  }
  return crlf;
}
std::string PlainLf(std::string_view bytes) {
  std::string lf;
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    if (!(bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n')) lf += bytes[i];
  }
  return lf;
}

void CheckLineBreaks(std::string_view bytes) {
  const std::string crlf = aspclip::WithCrLf(bytes);
  Require(crlf == PlainCrLf(bytes));
  Require(aspclip::CountLoneLineBreaks(bytes) == crlf.size() - bytes.size());
  // Appended to what is there, and the same for any text, its CR LF pairs or not.
  for (const std::string_view text : {std::string_view(crlf), bytes}) {
    std::string lf = "kept";
    aspclip::AppendWithLf(text, lf);
    Require(lf == "kept" + PlainLf(text));
  }
}

void CheckWtf8(const std::uint8_t* data, std::size_t size) {
  std::u16string units;
  for (std::size_t i = 0; i + 1 < size; i += 2)
    units += static_cast<char16_t>(data[i] | (data[i + 1] << 8));
  std::u16string back;
  aspclip::AppendUtf16(aspclip::Wtf8FromUtf16(units), back);
  Require(back == units);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  CheckUtf8(bytes);
  CheckLineBreaks(bytes);
  CheckWtf8(data, size);
  return 0;
}
