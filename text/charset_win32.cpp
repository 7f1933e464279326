// Encodings on Windows: code pages, through UTF-16, which Windows converts every code page to and
// from.
#include <windows.h>

#include "charset.h"
#include "wtf8.h"

namespace aspclip {
namespace {

// The code pages of UTF-16, which Windows' converters do not take: their bytes are the units.
constexpr UINT kUtf16LeCodePage = 1200, kUtf16BeCodePage = 1201;

bool IsUtf16(UINT codePage) {
  return codePage == kUtf16LeCodePage || codePage == kUtf16BeCodePage;
}

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
  if (canonical == "utf16le" || canonical == "utf16") return kUtf16LeCodePage;
  if (canonical == "utf16be") return kUtf16BeCodePage;
  if (canonical == "shiftjis" || canonical == "sjis") return 932;
  if (canonical == "koi8r") return 20866;
  return 0;
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
    if (IsUtf16(codePage_)) {
      const bool little = codePage_ == kUtf16LeCodePage;
      for (const char16_t unit : units) {
        const char low = static_cast<char>(unit & 0xFF), high = static_cast<char>(unit >> 8);
        bytes += little ? low : high;
        bytes += little ? high : low;
      }
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
  Status ToUtf16(std::string_view bytes, std::u16string& units) {
    if (IsUtf16(codePage_)) {
      if (bytes.size() % 2 != 0) return InvalidByteAt(bytes.size() - 1);
      const bool little = codePage_ == kUtf16LeCodePage;
      for (std::size_t i = 0; i < bytes.size(); i += 2) {
        const auto first = static_cast<unsigned char>(bytes[i]);
        const auto second = static_cast<unsigned char>(bytes[i + 1]);
        units += static_cast<char16_t>(little ? first | second << 8 : second | first << 8);
      }
      return Status::Ok();
    }
    if (bytes.empty()) return Status::Ok();
    const int count = static_cast<int>(bytes.size());
    const int size =
        MultiByteToWideChar(codePage_, MB_ERR_INVALID_CHARS, bytes.data(), count, nullptr, 0);
    if (size <= 0) return InvalidByteAt(FirstInvalidByte(bytes));
    units.resize(static_cast<std::size_t>(size));
    MultiByteToWideChar(codePage_, MB_ERR_INVALID_CHARS, bytes.data(), count,
                        reinterpret_cast<wchar_t*>(units.data()), size);
    return Status::Ok();
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

Status Charset::OpenConverter(const std::string& name, std::unique_ptr<Charset>& charset) {
  const UINT codePage = CodePageNamed(CanonicalCharsetName(name));
  CPINFO info;
  if (codePage == 0 || (!IsUtf16(codePage) && !GetCPInfo(codePage, &info))) {
    return Status::Failed("unknown encoding '" + name + "'");
  }
  if (!IsUtf16(codePage) && info.MaxCharSize == 1) {
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
