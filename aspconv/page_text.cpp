#include "page_text.h"

#include "base/scan.h"
#include "text/line_breaks.h"
#include "text/utf8.h"

namespace aspconv {
namespace {

using aspclip::kByteOrderMark;
using aspclip::Status;

constexpr std::string_view kUtf8 = "UTF-8";

// What the detector makes of a page that is not UTF-8; nothing where it cannot tell, or where it
// takes the page for UTF-8 all the same.
std::string Detect(std::string_view bytes) {
  std::string detected = aspclip::DetectCharset(bytes);
  const std::string canonical = aspclip::CanonicalCharsetName(detected);
  if (canonical == "utf8" || canonical == "ascii") detected.clear();
  return detected;
}

// A page in UTF-16 or UTF-32 without a byte-order mark: the ASCII in it, most of any page, leaves
// NUL bytes at every second or fourth place, which text in UTF-8 does not have. Empty for any
// other page.
std::string UnmarkedUnicode(std::string_view bytes) {
  constexpr std::size_t kSampleBytes = 1 << 16;
  const std::string_view sample = bytes.substr(0, kSampleBytes);
  if (sample.find('\0') == std::string_view::npos) return {};
  std::size_t nuls[4] = {};
  for (std::size_t i = 0; i < sample.size(); ++i)
    nuls[i % 4] += sample[i] == '\0' ? 1 : 0;
  // Most units of their kind have these places NUL, and those of the other order have none.
  const std::size_t units = sample.size() / 4;
  const auto most = [&](std::size_t count) { return count * 2 > units; };
  const auto none = [&](std::size_t count) { return count * 20 < units; };
  if (most(nuls[1]) && most(nuls[2]) && most(nuls[3]) && none(nuls[0])) return "UTF-32LE";
  if (most(nuls[0]) && most(nuls[1]) && most(nuls[2]) && none(nuls[3])) return "UTF-32BE";
  if (most(nuls[1]) && most(nuls[3]) && none(nuls[0]) && none(nuls[2])) return "UTF-16LE";
  if (most(nuls[0]) && most(nuls[2]) && none(nuls[1]) && none(nuls[3])) return "UTF-16BE";
  return {};
}

// Escape sequences of ISO-2022 (ESC $, ESC (), which switch 7-bit bytes to another character
// set: such a page is valid UTF-8 byte for byte, but is not UTF-8.
bool HasIso2022Escapes(std::string_view bytes) {
  for (std::size_t at = bytes.find('\x1B'); at != std::string_view::npos;
       at = bytes.find('\x1B', at + 1)) {
    if (at + 1 < bytes.size() && (bytes[at + 1] == '$' || bytes[at + 1] == '(')) return true;
  }
  return false;
}

// What a page that is not UTF-8 is told to try.
std::string Hint(std::string_view bytes) {
  const std::string detected = Detect(bytes);
  if (detected.empty()) return "(name its encoding with --encoding, as in --encoding windows-1252)";
  return "(try --encoding auto, which reads it as " + detected + ")";
}

Status CheckUtf8(std::string_view text, bool automatic, aspclip::Utf8Scan& scan) {
  const std::size_t skipped = text.starts_with(kByteOrderMark) ? kByteOrderMark.size() : 0;
  scan = aspclip::ScanUtf8(text.substr(skipped));
  if (scan.badByte == aspclip::kNotFound) return Status::Ok();
  std::string failure = "input is not valid UTF-8 (bad byte at offset ";
  failure.append(std::to_string(scan.badByte + skipped)).append(")");
  if (!automatic) failure.append(" ").append(Hint(text));
  return Status::Failed(failure);
}

Status ReadUtf8Page(const aspclip::Utf8Scan& scan, bool raw, Page& page) {
  if (raw) return Status::Ok();
  return page.bytes.NormalizeLineBreaks(scan.loneLineBreaks);
}

// An encoding that names no byte order (UTF-16, UTF-32) reads a page's mark, in either order, and
// does not pass it on; it writes a mark of its own, in the order it reads a page without one. The
// code is written in the page's order, as the same encoding with the order named, and with a mark
// only where the page had one.
Status FollowPageByteOrder(Encodings& encodings, Page& page) {
  const std::string& own = page.charset->ownByteOrderMark();
  if (own.empty()) return Status::Ok();
  const std::string_view bytes = page.bytes.view();
  const std::string reversed(own.rbegin(), own.rend());
  page.hadByteOrderMark = bytes.starts_with(own) || bytes.starts_with(reversed);
  const bool ownOrder = !bytes.starts_with(reversed);
  const bool ownIsLittleEndian = static_cast<unsigned char>(own.front()) == 0xFF;
  const bool littleEndian = ownOrder == ownIsLittleEndian;
  return encodings.Get(page.charset->name() + (littleEndian ? "LE" : "BE"), page.codeCharset);
}

Status DecodePage(bool raw, Encodings& encodings, Page& page) {
  if (Status decoded = page.charset->ToUtf8(page.bytes.view(), page.decoded); !decoded.ok()) {
    return decoded;
  }
  page.codeCharset = page.charset;
  if (Status ordered = FollowPageByteOrder(encodings, page); !ordered.ok()) return ordered;
  if (!raw && aspclip::CountLoneLineBreaks(page.decoded) > 0) {
    page.decoded = aspclip::WithCrLf(page.decoded);
  }
  return Status::Ok();
}

// UTF-8 where the page is valid UTF-8 and nothing in it tells otherwise; else the encoding its
// NUL bytes tell, or that the detector names.
Status ReadDetected(bool raw, Encodings& encodings, Page& page) {
  const std::string_view bytes = page.bytes.view();
  aspclip::Utf8Scan scan;
  const Status utf8 = CheckUtf8(bytes, true, scan);
  page.encoding = UnmarkedUnicode(bytes);
  const bool escaped = page.encoding.empty() && HasIso2022Escapes(bytes);
  if (utf8.ok() && page.encoding.empty() && !escaped) {
    page.encoding = kUtf8;
    return ReadUtf8Page(scan, raw, page);
  }
  if (page.encoding.empty()) page.encoding = Detect(bytes);
  if (page.encoding.empty()) {
    return Status::Failed(
        (utf8.ok() ? std::string("input has ISO-2022 escape sequences") : utf8.reason()) +
        ", and its encoding cannot be told (name it with --encoding, as in --encoding "
        "iso-2022-jp)");
  }
  if (Status opened = encodings.Get(page.encoding, page.charset); !opened.ok()) return opened;
  return DecodePage(raw, encodings, page);
}

}  // namespace

Status Encodings::Get(const std::string& name, aspclip::Charset*& charset) {
  auto found = opened_.find(name);
  if (found == opened_.end()) {
    std::unique_ptr<aspclip::Charset> opening;
    if (Status opened = aspclip::Charset::Open(name, opening); !opened.ok()) return opened;
    found = opened_.emplace(name, std::move(opening)).first;
  }
  charset = found->second.get();
  return Status::Ok();
}

Status ReadPage(int in, const PageFormat& format, Encodings& encodings, Page& page) {
  if (Status read = page.bytes.ReadAll(in); !read.ok()) return read;
  Status ready = Status::Ok();
  if (format.encoding == kAutomaticEncoding) {
    ready = ReadDetected(format.raw, encodings, page);
  } else if (ready = encodings.Get(format.encoding, page.charset); !ready.ok()) {
    return ready;
  } else if (page.charset == nullptr) {
    aspclip::Utf8Scan scan;
    ready = CheckUtf8(page.bytes.view(), false, scan);
    if (ready.ok()) ready = ReadUtf8Page(scan, format.raw, page);
  } else {
    ready = DecodePage(format.raw, encodings, page);
  }
  if (!ready.ok()) return ready;
  if (page.encoding.empty()) page.encoding = page.charset ? page.charset->name() : kUtf8;
  const std::string_view text =
      page.charset == nullptr ? page.bytes.view() : std::string_view(page.decoded);
  page.hadByteOrderMark = page.hadByteOrderMark || text.starts_with(kByteOrderMark);
  page.text = text.substr(text.starts_with(kByteOrderMark) ? kByteOrderMark.size() : 0);
  return Status::Ok();
}

}  // namespace aspconv
