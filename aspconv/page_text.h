// A page's text as the engine reads it: read whole, checked or decoded to UTF-8, its lone line
// breaks read as CR LF, its byte-order mark set apart.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <string_view>

#include "base/status.h"
#include "text/charset.h"
#include "text/input.h"
#include "text/utf8.h"

namespace aspconv {

// The encodings one worker has opened: each keeps a converter's state, so none is shared.
class Encodings {
 public:
  // The encoding called `name`; none for UTF-8. Fails when the system knows no such encoding.
  aspclip::Status Get(const std::string& name, aspclip::Charset*& charset);

 private:
  std::map<std::string, std::unique_ptr<aspclip::Charset>> opened_;
};

struct PageFormat {
  std::string encoding;  // "auto": UTF-8 where the page is valid UTF-8, else what a detector names
  bool raw = false;      // lone CR and LF stay as they are
};

inline constexpr std::string_view kAutomaticEncoding = "auto";

// A page's text and what backs it: the bytes as read, for a UTF-8 page (read into memory or
// mapped, its lone line breaks widened in place), or the UTF-8 decoded from another encoding.
class DecodedPage {
 public:
  // Reads the page from `in` in `format`'s encoding, with `encodings` to decode it.
  aspclip::Status Read(int in, const PageFormat& format, Encodings& encodings);

  // The text the engine reads, without a byte-order mark.
  std::string_view text() const { return text_; }
  bool hadByteOrderMark() const { return hadByteOrderMark_; }
  // The code's encoding: the page's, in the page's byte order; none is UTF-8.
  aspclip::Charset* codeCharset() const { return codeCharset_; }
  // The page's encoding, as the summary names it; with --encoding auto known once it is told,
  // even where the page then fails.
  const std::string& encoding() const { return encoding_; }
  // The bytes as read, which tell whether the file changed while it was read.
  const aspclip::InputBuffer& bytes() const { return bytes_; }

 private:
  enum class Backing { kBytesRead, kDecoded };

  // One reading mode each: UTF-8, an encoding named, or the encoding told from the bytes.
  aspclip::Status ReadUtf8(bool raw);
  aspclip::Status ReadNamed(const std::string& name, bool raw, Encodings& encodings);
  aspclip::Status ReadDetected(bool raw, Encodings& encodings);
  aspclip::Status WidenLineBreaks(const aspclip::Utf8Scan& scan, bool raw);
  aspclip::Status Decode(bool raw, Encodings& encodings);
  aspclip::Status FollowByteOrder(Encodings& encodings);
  void SetText();

  aspclip::InputBuffer bytes_;
  std::string decoded_;
  Backing backing_ = Backing::kBytesRead;
  std::string_view text_;
  bool hadByteOrderMark_ = false;
  aspclip::Charset* charset_ = nullptr;  // the page's encoding; none is UTF-8
  aspclip::Charset* codeCharset_ = nullptr;
  std::string encoding_;
};

}  // namespace aspconv
