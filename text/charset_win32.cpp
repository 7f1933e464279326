// Encodings on Windows: code pages, through UTF-16, which Windows converts every code page to and
// from.
#include <windows.h>

#include <algorithm>

#include "charset.h"
#include "charset_names.h"
#include "wide_strings.h"
#include "wtf8.h"

namespace aspclip {
namespace {

// The code pages of UTF-16 and UTF-32, which Windows' converters do not take: their bytes are
// the units, in the order the code page names.
struct UnicodeForm {
  std::size_t unitBytes = 0;  // 0: not one of them
  bool littleEndian = true;
};
UnicodeForm UnicodeFormOf(UINT codePage) {
  switch (codePage) {
    case kUtf16LeCodePage:
      return {2, true};
    case kUtf16BeCodePage:
      return {2, false};
    case kUtf32LeCodePage:
      return {4, true};
    case kUtf32BeCodePage:
      return {4, false};
    default:
      return {};
  }
}

bool IsUnicodeForm(UINT codePage) {
  return UnicodeFormOf(codePage).unitBytes != 0;
}

class CodePageCharset final : public Charset {
 public:
  CodePageCharset(std::string name, UINT codePage)
      : Charset(std::move(name)), codePage_(codePage) {}

  Status ToUtf8(std::string_view bytes, std::string& utf8) override {
    std::u16string units;
    if (Status decoded = ToUtf16(bytes, units); !decoded.ok()) return decoded;
    utf8 += Wtf8FromUtf16(units);
    return Status::Ok();
  }

  Status FromUtf8(std::string_view utf8, std::string& bytes) override {
    std::u16string units;
    AppendUtf16(utf8, units);
    if (const UnicodeForm form = UnicodeFormOf(codePage_); form.unitBytes != 0) {
      AppendUnits(units, form, bytes);
      return Status::Ok();
    }
    if (units.empty()) return Status::Ok();
    const auto* wide = reinterpret_cast<const wchar_t*>(units.data());
    const int count = static_cast<int>(units.size());
    const int size = WideCharToMultiByte(codePage_, 0, wide, count, nullptr, 0, nullptr, nullptr);
    if (size <= 0) {
      return Status::Failed("cannot encode in " + name() + " (system error " +
                            std::to_string(GetLastError()) + ")");
    }
    const std::size_t start = bytes.size();
    bytes.resize(start + static_cast<std::size_t>(size));
    WideCharToMultiByte(codePage_, 0, wide, count, bytes.data() + start, size, nullptr, nullptr);
    return Status::Ok();
  }

 private:
  // UTF-16 units, or the code points of UTF-32, in `form`'s order; a pair of surrogates is one code
  // point of UTF-32.
  static void AppendUnits(const std::u16string& units, UnicodeForm form, std::string& bytes) {
    for (std::size_t i = 0; i < units.size(); ++i) {
      char32_t unit = units[i];
      const bool pair = form.unitBytes == 4 && unit >= 0xD800 && unit <= 0xDBFF &&
                        i + 1 < units.size() && units[i + 1] >= 0xDC00 && units[i + 1] <= 0xDFFF;
      if (pair) unit = 0x10000 + ((unit - 0xD800) << 10) + (units[++i] - 0xDC00);
      for (std::size_t k = 0; k < form.unitBytes; ++k) {
        const std::size_t shift = 8 * (form.littleEndian ? k : form.unitBytes - 1 - k);
        bytes += static_cast<char>(unit >> shift & 0xFF);
      }
    }
  }

  Status UnitsToUtf16(std::string_view bytes, UnicodeForm form, std::u16string& units) const {
    if (bytes.size() % form.unitBytes != 0)
      return InvalidByteAt(bytes.size() - bytes.size() % form.unitBytes);
    for (std::size_t i = 0; i < bytes.size(); i += form.unitBytes) {
      char32_t unit = 0;
      for (std::size_t k = 0; k < form.unitBytes; ++k) {
        const std::size_t shift = 8 * (form.littleEndian ? k : form.unitBytes - 1 - k);
        unit |= static_cast<char32_t>(static_cast<unsigned char>(bytes[i + k])) << shift;
      }
      if (unit > 0x10FFFF) return InvalidByteAt(i);
      if (unit >= 0x10000) {
        units += static_cast<char16_t>(0xD800 + ((unit - 0x10000) >> 10));
        units += static_cast<char16_t>(0xDC00 + ((unit - 0x10000) & 0x3FF));
      } else {
        units += static_cast<char16_t>(unit);
      }
    }
    return Status::Ok();
  }

  Status ToUtf16(std::string_view bytes, std::u16string& units) {
    if (const UnicodeForm form = UnicodeFormOf(codePage_); form.unitBytes != 0) {
      return UnitsToUtf16(bytes, form, units);
    }
    if (bytes.empty()) return Status::Ok();
    const int count = static_cast<int>(bytes.size());
    const int size =
        MultiByteToWideChar(codePage_, MB_ERR_INVALID_CHARS, bytes.data(), count, nullptr, 0);
    if (size <= 0 && GetLastError() == ERROR_INVALID_FLAGS) return ToUtf16ByRoundTrip(bytes, units);
    if (size <= 0) return InvalidByteAt(FirstInvalidByte(bytes));
    const std::size_t start = units.size();
    units.resize(start + static_cast<std::size_t>(size));
    MultiByteToWideChar(codePage_, MB_ERR_INVALID_CHARS, bytes.data(), count,
                        reinterpret_cast<wchar_t*>(units.data() + start), size);
    return Status::Ok();
  }

  // A converter that takes no flags (UTF-7, the ISO-2022 and ISCII code pages) cannot be asked to
  // refuse bad bytes: it puts U+FFFD in their place. Where that character comes out, the text is
  // proven by encoding it again: a page that comes back byte for byte held the character itself.
  Status ToUtf16ByRoundTrip(std::string_view bytes, std::u16string& units) {
    const int count = static_cast<int>(bytes.size());
    const int size = MultiByteToWideChar(codePage_, 0, bytes.data(), count, nullptr, 0);
    std::u16string decoded(static_cast<std::size_t>(std::max(size, 0)), u'\0');
    MultiByteToWideChar(codePage_, 0, bytes.data(), count,
                        reinterpret_cast<wchar_t*>(decoded.data()), size);
    if (size <= 0) return InvalidByteAt(0);
    if (decoded.find(u'\xFFFD') != std::u16string::npos) {
      const std::string again = Encoded(decoded);
      const auto [at, _] = std::mismatch(bytes.begin(), bytes.end(), again.begin(), again.end());
      if (at != bytes.end() || again.size() != bytes.size())
        return InvalidByteAt(static_cast<std::size_t>(at - bytes.begin()));
    }
    units += decoded;
    return Status::Ok();
  }

  std::string Encoded(const std::u16string& units) const {
    const auto* wide = reinterpret_cast<const wchar_t*>(units.data());
    const int count = static_cast<int>(units.size());
    const int size = WideCharToMultiByte(codePage_, 0, wide, count, nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<std::size_t>(std::max(size, 0)), '\0');
    WideCharToMultiByte(codePage_, 0, wide, count, bytes.data(), size, nullptr, nullptr);
    return bytes;
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

}  // namespace

// Pages that are not UTF-8 were mostly saved in the server's ANSI code page, which on the
// developer's own system is most likely the same.
std::string DetectCharset(std::string_view) {
  return "windows-" + std::to_string(GetACP());
}

Status Charset::OpenConverter(const std::string& name, std::unique_ptr<Charset>& charset) {
  const UINT codePage = CodePageNamed(name);
  CPINFO info;
  if (codePage == 0 || (!IsUnicodeForm(codePage) && !GetCPInfo(codePage, &info))) {
    return Status::Failed("unknown encoding '" + name + "'");
  }
  if (!IsUnicodeForm(codePage) && info.MaxCharSize == 1) {
    charset = std::make_unique<SingleByteCharset>(name, [codePage](char byte, std::string& utf8) {
      wchar_t unit;
      if (MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, &byte, 1, &unit, 1) != 1)
        return false;
      utf8 = Wtf8FromWide(std::wstring_view(&unit, 1));
      return true;
    });
  } else {
    charset = std::make_unique<CodePageCharset>(name, codePage);
  }
  return Status::Ok();
}

}  // namespace aspclip
