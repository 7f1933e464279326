// Encodings on Linux, through iconv(3).
#include <iconv.h>
#include <uchardet.h>

#include <cerrno>
#include <cstring>

#include "charset.h"
#include "charset_names.h"

namespace aspclip {
namespace {

const auto kNoConverter = reinterpret_cast<iconv_t>(-1);

// Gives out what the converter holds back to combine with what would come next (windows-1255,
// windows-1258): the text has ended.
bool FlushHeld(iconv_t converter, std::string& out) {
  char held[64];
  char* to = held;
  std::size_t free = sizeof held;
  const bool flushed =
      iconv(converter, nullptr, nullptr, &to, &free) != static_cast<std::size_t>(-1);
  out.append(held, sizeof held - free);
  return flushed;
}

// One converter each way.
class IconvCharset final : public Charset {
 public:
  IconvCharset(std::string name, iconv_t decoder, iconv_t encoder)
      : Charset(std::move(name)), decoder_(decoder), encoder_(encoder) {}
  ~IconvCharset() override {
    iconv_close(decoder_);
    iconv_close(encoder_);
  }

  Status ToUtf8(std::string_view bytes, std::string& utf8) override {
    utf8.reserve(utf8.size() + bytes.size() + bytes.size() / 4);  // most pages are mostly ASCII
    iconv(decoder_, nullptr, nullptr, nullptr, nullptr);          // a page is decoded whole
    Status decoded = Convert(decoder_, bytes, utf8,
                             [this](std::size_t offset, int) { return InvalidByteAt(offset); });
    if (decoded.ok() && !FlushHeld(decoder_, utf8)) return InvalidByteAt(bytes.size());
    return decoded;
  }

  // Appends the conversion of `in` to `out`, from the state the converter is in; where it stops
  // early, fails as `failure` says for the offset it stopped at and the errno it stopped with.
  // iconv writes into a small buffer that is appended, so that no room is cleared in advance.
  template <typename Failure>
  static Status Convert(iconv_t converter, std::string_view in, std::string& out, Failure failure) {
    constexpr std::size_t kChunk = 64 << 10;
    char chunk[kChunk];
    char* from = const_cast<char*>(in.data());
    std::size_t left = in.size();
    while (left > 0) {
      char* to = chunk;
      std::size_t free = kChunk;
      const std::size_t result = iconv(converter, &from, &left, &to, &free);
      out.append(chunk, kChunk - free);
      if (result == static_cast<std::size_t>(-1) && errno != E2BIG) {
        return failure(in.size() - left, errno);
      }
    }
    return Status::Ok();
  }

  void StartText() override { iconv(encoder_, nullptr, nullptr, nullptr, nullptr); }

  Status FromUtf8(std::string_view utf8, std::string& bytes) override {
    return Convert(encoder_, utf8, bytes, [this](std::size_t, int error) {
      return Status::Failed("cannot encode in " + name() + " (" + std::strerror(error) + ")");
    });
  }

  Status FinishText(std::string& bytes) override {
    char end[kLongestReturnToFirstState];
    char* to = end;
    std::size_t free = sizeof end;
    if (iconv(encoder_, nullptr, nullptr, &to, &free) == static_cast<std::size_t>(-1)) {
      return Status::Failed("cannot encode in " + name() + " (" + std::strerror(errno) + ")");
    }
    bytes.append(end, sizeof end - free);
    return Status::Ok();
  }

 private:
  // An escape sequence or two; no encoding needs more to return to its first state.
  static constexpr std::size_t kLongestReturnToFirstState = 64;

  iconv_t decoder_, encoder_;
};

// Whether a table of bytes decodes as the converter does in context: every pair of its characters,
// decoded whole, must give what the table gives byte by byte. A converter that combines a
// character with the one behind it (windows-1255, windows-1258) or reorders them (TSCII) does not.
bool DecodesAsInContext(SingleByteCharset& table, iconv_t decoder, std::string_view characters) {
  std::string pairs;
  pairs.reserve(2 * characters.size() * characters.size());
  for (const char first : characters) {
    for (const char second : characters)
      pairs.append({first, second});
  }
  std::string byTable, inContext;
  iconv(decoder, nullptr, nullptr, nullptr, nullptr);
  const Status decoded = IconvCharset::Convert(decoder, pairs, inContext,
                                               [](std::size_t, int) { return Status::Failed(""); });
  return decoded.ok() && FlushHeld(decoder, inContext) && table.ToUtf8(pairs, byTable).ok() &&
         byTable == inContext;
}

}  // namespace

std::string DetectCharset(std::string_view bytes) {
  const uchardet_t detector = uchardet_new();
  std::string name;
  if (uchardet_handle_data(detector, bytes.data(), bytes.size()) == 0) {
    uchardet_data_end(detector);
    name = uchardet_get_charset(detector);
  }
  uchardet_delete(detector);
  return name;
}

// iconv's own name for the encoding: the one typed, where iconv knows it, else the one the table
// gives for its code page (1252, cp65001).
std::string ConverterName(const std::string& name) {
  const iconv_t probe = iconv_open("UTF-8", name.c_str());
  if (probe != kNoConverter) {
    iconv_close(probe);
    return name;
  }
  const unsigned codePage = CodePageNamed(name);
  return codePage != 0 ? IconvNameOf(codePage) : name;
}

Status Charset::OpenConverter(const std::string& name, std::unique_ptr<Charset>& charset) {
  const std::string converter = ConverterName(name);
  const iconv_t decoder = iconv_open("UTF-8", converter.c_str());
  const iconv_t encoder = iconv_open(converter.c_str(), "UTF-8");
  if (decoder == kNoConverter || encoder == kNoConverter) {
    if (decoder != kNoConverter) iconv_close(decoder);
    if (encoder != kNoConverter) iconv_close(encoder);
    return Status::Failed("unknown encoding '" + name + "'");
  }
  // A byte that needs more behind it belongs to an encoding of several bytes a character.
  bool severalBytes = false;
  std::string characters;  // the bytes that are characters of their own
  const auto decodeByte = [&](char byte, std::string& utf8) {
    char out[16];
    char *from = &byte, *to = out;
    std::size_t left = 1, free = sizeof out;
    iconv(decoder, nullptr, nullptr, nullptr, nullptr);
    const bool converted = iconv(decoder, &from, &left, &to, &free) != static_cast<std::size_t>(-1);
    severalBytes = severalBytes || (!converted && errno == EINVAL);
    utf8.assign(out, sizeof out - free);
    if (converted && FlushHeld(decoder, utf8) && !utf8.empty()) characters += byte;
    return converted && !utf8.empty();
  };
  auto singleByte = std::make_unique<SingleByteCharset>(name, decodeByte);
  if (severalBytes || !DecodesAsInContext(*singleByte, decoder, characters)) {
    charset = std::make_unique<IconvCharset>(name, decoder, encoder);
  } else {
    iconv_close(decoder);
    iconv_close(encoder);
    charset = std::move(singleByte);
  }
  return Status::Ok();
}

}  // namespace aspclip
