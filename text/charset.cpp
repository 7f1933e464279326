#include "charset.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <unordered_map>

#include "convert/scan.h"
#include "read_input.h"
#include "text_encoding.h"

#if defined(_WIN32)
#include <windows.h>
#else
#include <iconv.h>
#endif

namespace aspclip {
namespace {

// Upper and lower case, '-' and '_' do not tell encoding names apart: UTF-8, utf8 and Utf_8.
std::string Canonical(const std::string& name) {
  std::string canonical;
  for (const char c : name) {
    if (c != '-' && c != '_')
      canonical += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  }
  return canonical;
}

class Utf8Charset final : public Charset {
 public:
  explicit Utf8Charset(std::string name) : Charset(std::move(name), true) {}
  bool ToUtf8(std::string_view bytes, std::string& utf8, std::size_t& badByte) override {
    badByte = FindInvalidUtf8(bytes);
    if (badByte != kNotFound) return false;
    utf8.append(bytes);
    return true;
  }
  bool FromUtf8(std::string_view utf8, std::string& bytes, std::string&) override {
    bytes.append(utf8);
    return true;
  }
};

// An encoding in which every byte is one character (windows-1252, iso-8859-1, koi8-r, ...): the
// platform's converter is asked once what each byte is, and pages then convert by lookup, which is
// many times faster than a call into the converter for each page.
class SingleByteCharset final : public Charset {
 public:
  // `decodeByte` gives the UTF-8 of one byte: false when the byte is no character of the encoding.
  template <typename DecodeByte>
  SingleByteCharset(std::string name, DecodeByte decodeByte) : Charset(std::move(name), false) {
    for (int b = 0; b < kByteValues; ++b) {
      std::string& utf8 = decoded_[b];
      if (!decodeByte(static_cast<char>(b), utf8)) utf8.clear();
      if (!utf8.empty()) encoded_[Key(utf8)] = static_cast<char>(b);
      lengths_[b] = static_cast<std::uint8_t>(utf8.size());
      asciiKept_ = asciiKept_ && (b >= 0x80 || utf8 == std::string(1, static_cast<char>(b)));
    }
  }

  // Sized first, then written in place: a page's text is large, and appending would copy it.
  bool ToUtf8(std::string_view bytes, std::string& utf8, std::size_t& badByte) override {
    std::size_t size = 0;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
      if (const std::size_t ascii = AsciiBlockAt(bytes, i); ascii > 0) {
        size += ascii;
        i += ascii - 1;
        continue;
      }
      const std::size_t length = lengths_[static_cast<unsigned char>(bytes[i])];
      if (length == 0) {
        badByte = i;
        return false;
      }
      size += length;
    }
    const std::size_t start = utf8.size();
    utf8.reserve(start + size);
    AdviseHugePages(utf8.data() + start, size);
    utf8.resize(start + size);
    char* out = utf8.data() + start;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
      if (const std::size_t ascii = AsciiBlockAt(bytes, i); ascii > 0) {
        out = std::copy_n(bytes.data() + i, ascii, out);
        i += ascii - 1;
        continue;
      }
      const auto b = static_cast<unsigned char>(bytes[i]);
      out = std::copy_n(decoded_[b].data(), lengths_[b], out);
    }
    return true;
  }

  // The code holds no more bytes in this encoding than in UTF-8.
  bool FromUtf8(std::string_view utf8, std::string& bytes, std::string& error) override {
    const std::size_t start = bytes.size();
    bytes.resize(start + utf8.size());
    char* out = bytes.data() + start;
    for (std::size_t i = 0; i < utf8.size();) {
      if (const std::size_t ascii = AsciiBlockAt(utf8, i); ascii > 0) {
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
        error = "a character of the page has no byte in " + name();
        return false;
      }
      *out++ = found->second;
      i += length;
    }
    bytes.resize(static_cast<std::size_t>(out - bytes.data()));
    return true;
  }

 private:
  static constexpr int kByteValues = 256;

  // Where every ASCII byte stands for itself, the ASCII at `i` is the same in both encodings: how
  // many bytes of it a block holds, or 0. Most of a page is ASCII.
  std::size_t AsciiBlockAt(std::string_view text, std::size_t i) const {
    if (!asciiKept_ || text.size() - i < kBlockBytes) return 0;
    const std::uint32_t beyond = BeyondAsciiMask(text.data() + i);
    return beyond != 0 ? static_cast<std::size_t>(std::countr_zero(beyond)) : kBlockBytes;
  }

  // A character's UTF-8, at most four bytes, as one number.
  static std::uint32_t Key(std::string_view utf8) {
    std::uint32_t key = 0;
    for (const char c : utf8)
      key = key << 8 | static_cast<unsigned char>(c);
    return key;
  }
  std::array<std::string, kByteValues> decoded_;
  std::array<std::uint8_t, kByteValues> lengths_{};  // of each byte's UTF-8; 0 for no character
  std::unordered_map<std::uint32_t, char> encoded_;
  bool asciiKept_ = true;  // every ASCII byte stands for itself
};

#if defined(_WIN32)
// A code page by its number: windows-1252 and cp1252 are 1252, iso-8859-N is 28590 + N; the few
// other names Windows programs use for code pages are listed.
UINT CodePageNamed(const std::string& canonical) {
  const auto numberAfter = [&](std::string_view prefix) -> UINT {
    if (!canonical.starts_with(prefix) || canonical.size() == prefix.size()) return 0;
    const std::string digits = canonical.substr(prefix.size());
    if (digits.find_first_not_of("0123456789") != std::string::npos) return 0;
    return static_cast<UINT>(std::stoul(digits));
  };
  if (const UINT page = numberAfter("windows")) return page;
  if (const UINT page = numberAfter("cp")) return page;
  if (const UINT part = numberAfter("iso8859")) return 28590 + part;
  if (const UINT part = numberAfter("latin")) return part == 1 ? 28591 : 0;
  if (canonical == "usascii" || canonical == "ascii") return 20127;
  if (canonical == "utf16le" || canonical == "utf16") return 1200;
  if (canonical == "utf16be") return 1201;
  if (canonical == "shiftjis" || canonical == "sjis") return 932;
  if (canonical == "koi8r") return 20866;
  return 0;
}

std::string SystemErrorText(DWORD code) {
  return "system error " + std::to_string(code);
}

// Through UTF-16, which Windows converts every code page to and from.
class CodePageCharset final : public Charset {
 public:
  CodePageCharset(std::string name, UINT codePage)
      : Charset(std::move(name), false), codePage_(codePage) {}

  bool ToUtf8(std::string_view bytes, std::string& utf8, std::size_t& badByte) override {
    std::u16string units;
    if (!ToUtf16(bytes, units, badByte)) return false;
    utf8 += Wtf8FromUtf16(units);
    return true;
  }

  bool FromUtf8(std::string_view utf8, std::string& bytes, std::string& error) override {
    std::u16string units;
    AppendUtf16(utf8, units);
    if (codePage_ == kUtf16Le || codePage_ == kUtf16Be) {
      for (const char16_t unit : units) {
        const char low = static_cast<char>(unit & 0xFF), high = static_cast<char>(unit >> 8);
        bytes += codePage_ == kUtf16Le ? low : high;
        bytes += codePage_ == kUtf16Le ? high : low;
      }
      return true;
    }
    if (units.empty()) return true;
    const auto* wide = reinterpret_cast<const wchar_t*>(units.data());
    const int count = static_cast<int>(units.size());
    const int size = WideCharToMultiByte(codePage_, 0, wide, count, nullptr, 0, nullptr, nullptr);
    if (size <= 0) {
      error = "cannot encode in " + name() + " (" + SystemErrorText(GetLastError()) + ")";
      return false;
    }
    const std::size_t start = bytes.size();
    bytes.resize(start + static_cast<std::size_t>(size));
    WideCharToMultiByte(codePage_, 0, wide, count, bytes.data() + start, size, nullptr, nullptr);
    return true;
  }

 private:
  static constexpr UINT kUtf16Le = 1200, kUtf16Be = 1201;

  bool ToUtf16(std::string_view bytes, std::u16string& units, std::size_t& badByte) {
    if (codePage_ == kUtf16Le || codePage_ == kUtf16Be) {
      if (bytes.size() % 2 != 0) {
        badByte = bytes.size() - 1;
        return false;
      }
      for (std::size_t i = 0; i < bytes.size(); i += 2) {
        const auto first = static_cast<unsigned char>(bytes[i]);
        const auto second = static_cast<unsigned char>(bytes[i + 1]);
        units += static_cast<char16_t>(codePage_ == kUtf16Le ? first | second << 8
                                                             : second | first << 8);
      }
      return true;
    }
    if (bytes.empty()) return true;
    const int count = static_cast<int>(bytes.size());
    const int size =
        MultiByteToWideChar(codePage_, MB_ERR_INVALID_CHARS, bytes.data(), count, nullptr, 0);
    if (size <= 0) {
      badByte = FirstInvalidByte(bytes);
      return false;
    }
    units.resize(static_cast<std::size_t>(size));
    MultiByteToWideChar(codePage_, MB_ERR_INVALID_CHARS, bytes.data(), count,
                        reinterpret_cast<wchar_t*>(units.data()), size);
    return true;
  }

  // The longest prefix that converts tells where the first invalid byte is.
  std::size_t FirstInvalidByte(std::string_view bytes) const {
    std::size_t valid = 0, invalid = bytes.size();
    while (invalid - valid > 1) {
      const std::size_t middle = valid + (invalid - valid) / 2;
      const bool converts = MultiByteToWideChar(codePage_, MB_ERR_INVALID_CHARS, bytes.data(),
                                                static_cast<int>(middle), nullptr, 0) > 0;
      (converts ? valid : invalid) = middle;
    }
    return valid;
  }

  UINT codePage_;
};
#else
// Through iconv(3), one converter each way.
class IconvCharset final : public Charset {
 public:
  IconvCharset(std::string name, iconv_t decoder, iconv_t encoder)
      : Charset(std::move(name), false), decoder_(decoder), encoder_(encoder) {}
  ~IconvCharset() override {
    iconv_close(decoder_);
    iconv_close(encoder_);
  }

  bool ToUtf8(std::string_view bytes, std::string& utf8, std::size_t& badByte) override {
    utf8.reserve(utf8.size() + bytes.size() + bytes.size() / 4);  // most pages are mostly ASCII
    std::size_t consumed = 0;
    if (Convert(decoder_, bytes, utf8, consumed) == 0) return true;
    badByte = consumed;
    return false;
  }

  bool FromUtf8(std::string_view utf8, std::string& bytes, std::string& error) override {
    std::size_t consumed = 0;
    if (const int failure = Convert(encoder_, utf8, bytes, consumed); failure != 0) {
      error = "cannot encode in " + name() + " (" + std::strerror(failure) + ")";
      return false;
    }
    return true;
  }

 private:
  // Appends the conversion of `in` to `out`; 0, or the errno with which it stopped at `consumed`.
  // iconv writes into a small buffer that is appended, so that no room is cleared in advance.
  static int Convert(iconv_t converter, std::string_view in, std::string& out,
                     std::size_t& consumed) {
    constexpr std::size_t kChunk = 64 << 10;
    char chunk[kChunk];
    iconv(converter, nullptr, nullptr, nullptr, nullptr);  // a fresh start for each text
    char* from = const_cast<char*>(in.data());
    std::size_t left = in.size();
    while (left > 0) {
      char* to = chunk;
      std::size_t free = kChunk;
      const std::size_t result = iconv(converter, &from, &left, &to, &free);
      out.append(chunk, kChunk - free);
      if (result == static_cast<std::size_t>(-1) && errno != E2BIG) {
        consumed = in.size() - left;
        return errno;
      }
    }
    return 0;
  }

  iconv_t decoder_, encoder_;
};
#endif

}  // namespace

std::unique_ptr<Charset> Charset::Open(const std::string& name, std::string& error) {
  const std::string canonical = Canonical(name);
  if (canonical == "utf8") return std::make_unique<Utf8Charset>(name);
#if defined(_WIN32)
  const UINT codePage = CodePageNamed(canonical);
  CPINFO info;
  if (codePage == 0 || (codePage != 1200 && codePage != 1201 && !GetCPInfo(codePage, &info))) {
    error = "unknown encoding '" + name + "'";
    return nullptr;
  }
  if (codePage != 1200 && codePage != 1201 && info.MaxCharSize == 1) {
    return std::make_unique<SingleByteCharset>(name, [codePage](char byte, std::string& utf8) {
      wchar_t unit;
      if (MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, &byte, 1, &unit, 1) != 1)
        return false;
      utf8 = Wtf8FromUtf16(std::u16string(1, static_cast<char16_t>(unit)));
      return true;
    });
  }
  return std::make_unique<CodePageCharset>(name, codePage);
#else
  const iconv_t decoder = iconv_open("UTF-8", name.c_str());
  const iconv_t encoder = iconv_open(name.c_str(), "UTF-8");
  const auto failed = reinterpret_cast<iconv_t>(-1);
  if (decoder == failed || encoder == failed) {
    if (decoder != failed) iconv_close(decoder);
    if (encoder != failed) iconv_close(encoder);
    error = "unknown encoding '" + name + "'";
    return nullptr;
  }
  // A byte that needs more behind it belongs to an encoding of several bytes a character.
  bool severalBytes = false;
  const auto decodeByte = [&](char byte, std::string& utf8) {
    char out[8];
    char *from = &byte, *to = out;
    std::size_t left = 1, free = sizeof out;
    iconv(decoder, nullptr, nullptr, nullptr, nullptr);
    const bool converted = iconv(decoder, &from, &left, &to, &free) != static_cast<std::size_t>(-1);
    severalBytes = severalBytes || (!converted && errno == EINVAL);
    utf8.assign(out, sizeof out - free);
    return converted;
  };
  auto singleByte = std::make_unique<SingleByteCharset>(name, decodeByte);
  if (!severalBytes) {
    iconv_close(decoder);
    iconv_close(encoder);
    return singleByte;
  }
  return std::make_unique<IconvCharset>(name, decoder, encoder);
#endif
}

}  // namespace aspclip
