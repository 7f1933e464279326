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

// How the page's encoding came to be UTF-8: named by the user, who is told of others that fit, or
// as the first guess of --encoding auto.
enum class Utf8Because { kNamed, kGuessed };

Status CheckUtf8(std::string_view text, Utf8Because because, aspclip::Utf8Scan& scan) {
  const std::size_t skipped = text.starts_with(kByteOrderMark) ? kByteOrderMark.size() : 0;
  scan = aspclip::ScanUtf8(text.substr(skipped));
  if (scan.badByte == aspclip::kNotFound) return Status::Ok();
  std::string failure = "input is not valid UTF-8 (bad byte at offset ";
  failure.append(std::to_string(scan.badByte + skipped)).append(")");
  if (because == Utf8Because::kNamed) failure.append(" ").append(Hint(text));
  return Status::Failed(failure);
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

Status DecodedPage::Read(int in, const PageFormat& format, Encodings& encodings) {
  if (Status read = bytes_.ReadAll(in); !read.ok()) return read;
  Status ready = format.encoding == kAutomaticEncoding
                     ? ReadDetected(format.raw, encodings)
                     : ReadNamed(format.encoding, format.raw, encodings);
  if (ready.ok()) SetText();
  return ready;
}

Status DecodedPage::ReadUtf8(bool raw) {
  aspclip::Utf8Scan scan;
  if (Status valid = CheckUtf8(bytes_.view(), Utf8Because::kNamed, scan); !valid.ok()) return valid;
  return WidenLineBreaks(scan, raw);
}

Status DecodedPage::ReadNamed(const std::string& name, bool raw, Encodings& encodings) {
  if (Status opened = encodings.Get(name, charset_); !opened.ok()) return opened;
  Status read = charset_ == nullptr ? ReadUtf8(raw) : Decode(raw, encodings);
  if (read.ok()) encoding_ = charset_ != nullptr ? charset_->name() : kUtf8;
  return read;
}

// UTF-8 where the page is valid UTF-8 and nothing in it tells otherwise; else the encoding its
// NUL bytes tell, or that the detector names.
Status DecodedPage::ReadDetected(bool raw, Encodings& encodings) {
  const std::string_view bytes = bytes_.view();
  aspclip::Utf8Scan scan;
  const Status utf8 = CheckUtf8(bytes, Utf8Because::kGuessed, scan);
  encoding_ = UnmarkedUnicode(bytes);
  const bool escaped = encoding_.empty() && HasIso2022Escapes(bytes);
  if (utf8.ok() && encoding_.empty() && !escaped) {
    encoding_ = kUtf8;
    return WidenLineBreaks(scan, raw);
  }
  if (encoding_.empty()) encoding_ = Detect(bytes);
  if (encoding_.empty()) {
    return Status::Failed(
        (utf8.ok() ? std::string("input has ISO-2022 escape sequences") : utf8.reason()) +
        ", and its encoding cannot be told (name it with --encoding, as in --encoding "
        "iso-2022-jp)");
  }
  if (Status opened = encodings.Get(encoding_, charset_); !opened.ok()) return opened;
  return Decode(raw, encodings);
}

Status DecodedPage::WidenLineBreaks(const aspclip::Utf8Scan& scan, bool raw) {
  backing_ = Backing::kBytesRead;
  if (raw) return Status::Ok();
  return bytes_.NormalizeLineBreaks(scan.loneLineBreaks);
}

Status DecodedPage::Decode(bool raw, Encodings& encodings) {
  backing_ = Backing::kDecoded;
  if (Status decoded = charset_->ToUtf8(bytes_.view(), decoded_); !decoded.ok()) return decoded;
  codeCharset_ = charset_;
  if (Status ordered = FollowByteOrder(encodings); !ordered.ok()) return ordered;
  if (!raw && aspclip::CountLoneLineBreaks(decoded_) > 0) decoded_ = aspclip::WithCrLf(decoded_);
  return Status::Ok();
}

// An encoding that names no byte order (UTF-16, UTF-32) reads a page's mark, in either order, and
// does not pass it on; it writes a mark of its own, in the order it reads a page without one. The
// code is written in the page's order, as the same encoding with the order named, and with a mark
// only where the page had one.
Status DecodedPage::FollowByteOrder(Encodings& encodings) {
  const std::string& own = charset_->ownByteOrderMark();
  if (own.empty()) return Status::Ok();
  const std::string_view bytes = bytes_.view();
  const std::string reversed(own.rbegin(), own.rend());
  hadByteOrderMark_ = bytes.starts_with(own) || bytes.starts_with(reversed);
  const bool ownOrder = !bytes.starts_with(reversed);
  const bool ownIsLittleEndian = static_cast<unsigned char>(own.front()) == 0xFF;
  const bool littleEndian = ownOrder == ownIsLittleEndian;
  return encodings.Get(charset_->name() + (littleEndian ? "LE" : "BE"), codeCharset_);
}

// The byte-order mark is set apart: the code gets one of its own where the page had one.
void DecodedPage::SetText() {
  const std::string_view text =
      backing_ == Backing::kBytesRead ? bytes_.view() : std::string_view(decoded_);
  hadByteOrderMark_ = hadByteOrderMark_ || text.starts_with(kByteOrderMark);
  text_ = text.substr(text.starts_with(kByteOrderMark) ? kByteOrderMark.size() : 0);
}

}  // namespace aspconv
