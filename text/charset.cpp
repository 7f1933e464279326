#include "charset.h"

#include <algorithm>
#include <vector>

#include "base/characters.h"
#include "base/scan.h"
#include "base/workers.h"
#include "charset_names.h"
#include "input.h"
#include "utf8.h"

namespace aspclip {
namespace {

// A character's UTF-8, at most four bytes, as one number.
std::uint32_t Key(std::string_view utf8) {
  std::uint32_t key = 0;
  for (const char c : utf8)
    key = key << 8 | static_cast<unsigned char>(c);
  return key;
}

}  // namespace

Status Charset::Open(const std::string& name, std::unique_ptr<Charset>& charset) {
  charset.reset();
  if (CodePageNamed(name) == kUtf8CodePage) return Status::Ok();
  if (name.empty()) return Status::Failed("unknown encoding ''");
  if (Status opened = OpenConverter(name, charset); !opened.ok()) return opened;
  charset->FindOwnByteOrderMark();
  return Status::Ok();
}

void Charset::FindOwnByteOrderMark() {
  std::string once, twice;
  const auto encode = [this](std::string_view text, std::string& bytes) {
    StartText();
    return FromUtf8(text, bytes).ok() && FinishText(bytes).ok();
  };
  if (!encode("a", once) || !encode("aa", twice)) return;
  const std::size_t character = twice.size() - once.size();
  if (once.size() > character) ownByteOrderMark_ = once.substr(0, once.size() - character);
}

Status Charset::InvalidByteAt(std::size_t offset) const {
  return Status::Failed("input is not valid " + name() + " (bad byte at offset " +
                        std::to_string(offset) + ")");
}

std::string CanonicalCharsetName(std::string_view name) {
  std::string canonical = LowerCase(name);
  std::erase_if(canonical, [](char c) { return c == '-' || c == '_'; });
  return canonical;
}

SingleByteCharset::SingleByteCharset(std::string name, const DecodeByte& decodeByte)
    : Charset(std::move(name)) {
  for (int b = 0; b < kByteValues; ++b) {
    std::string& utf8 = decoded_[b];
    if (!decodeByte(static_cast<char>(b), utf8)) utf8.clear();
    if (!utf8.empty()) encoded_[Key(utf8)] = static_cast<char>(b);
    lengths_[b] = static_cast<std::uint8_t>(utf8.size());
    asciiKept_ = asciiKept_ && (b >= 0x80 || utf8 == std::string(1, static_cast<char>(b)));
  }
}

std::size_t SingleByteCharset::AsciiKeptAt(std::string_view text, std::size_t i) const {
  return asciiKept_ ? AsciiRunAt(text, i) : 0;
}

std::size_t SingleByteCharset::DecodedSize(std::string_view bytes, std::size_t& badByte) const {
  std::size_t size = 0;
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    if (const std::size_t ascii = AsciiKeptAt(bytes, i); ascii > 0) {
      size += ascii;
      i += ascii - 1;
      continue;
    }
    const std::size_t length = lengths_[static_cast<unsigned char>(bytes[i])];
    if (length == 0) {
      badByte = i;
      return 0;
    }
    size += length;
  }
  return size;
}

void SingleByteCharset::Decode(std::string_view bytes, char* out) const {
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    if (const std::size_t ascii = AsciiKeptAt(bytes, i); ascii > 0) {
      out = std::copy_n(bytes.data() + i, ascii, out);
      i += ascii - 1;
      continue;
    }
    const auto b = static_cast<unsigned char>(bytes[i]);
    out = std::copy_n(decoded_[b].data(), lengths_[b], out);
  }
}

// A large text goes in parts, one a core at once.
Status SingleByteCharset::ToUtf8(std::string_view bytes, std::string& utf8) {
  return ToUtf8InParts(bytes, utf8, bytes.size() < kLeastBytesInParts ? 1 : Cores());
}

// Sized first, then written in place: a page's text is large, and appending would copy it. Each
// part is sized, and then written at its place.
Status SingleByteCharset::ToUtf8InParts(std::string_view bytes, std::string& utf8,
                                        std::size_t parts) {
  const std::size_t partBytes = bytes.size() / parts;
  const auto part = [&](std::size_t k) {
    return bytes.substr(partBytes * k, k + 1 == parts ? kNotFound : partBytes);
  };
  std::vector<std::size_t> sizes(parts), badBytes(parts, kNotFound);
  RunParts(parts, [&](std::size_t k) { sizes[k] = DecodedSize(part(k), badBytes[k]); });
  std::vector<std::size_t> starts = {utf8.size()};  // of each part's UTF-8
  for (std::size_t k = 0; k < parts; ++k) {
    if (badBytes[k] != kNotFound) return InvalidByteAt(partBytes * k + badBytes[k]);
    starts.push_back(starts.back() + sizes[k]);
  }
  utf8.reserve(starts.back());
  AdviseHugePages(utf8.data() + starts.front(), starts.back() - starts.front());
  utf8.resize(starts.back());
  RunParts(parts, [&](std::size_t k) { Decode(part(k), utf8.data() + starts[k]); });
  return Status::Ok();
}

// The code holds no more bytes in this encoding than in UTF-8.
Status SingleByteCharset::FromUtf8(std::string_view utf8, std::string& bytes) {
  const std::size_t start = bytes.size();
  bytes.resize(start + utf8.size());
  char* out = bytes.data() + start;
  for (std::size_t i = 0; i < utf8.size();) {
    if (const std::size_t ascii = AsciiKeptAt(utf8, i); ascii > 0) {
      out = std::copy_n(utf8.data() + i, ascii, out);
      i += ascii;
      continue;
    }
    const auto lead = static_cast<unsigned char>(utf8[i]);
    if (lead < 0x80 && asciiKept_) {
      *out++ = utf8[i++];
      continue;
    }
    const std::size_t length = SequenceLength(utf8[i]);
    const auto found = encoded_.find(Key(utf8.substr(i, length)));
    if (found == encoded_.end()) {
      bytes.resize(start);
      return Status::Failed("a character of the page has no byte in " + name());
    }
    *out++ = found->second;
    i += length;
  }
  bytes.resize(static_cast<std::size_t>(out - bytes.data()));
  return Status::Ok();
}

}  // namespace aspclip
