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

struct Page {
  aspclip::InputBuffer bytes;
  std::string decoded;  // when the page was in another encoding
  std::string_view text;
  bool hadByteOrderMark = false;
  aspclip::Charset* charset = nullptr;      // the page's encoding; none is UTF-8
  aspclip::Charset* codeCharset = nullptr;  // the code's: the same, in the page's byte order
  std::string encoding;                     // the page's, as the summary names it
};

inline constexpr std::string_view kAutomaticEncoding = "auto";

// Reads the page from `in` in `format`'s encoding, with `encodings` to decode it.
aspclip::Status ReadPage(int in, const PageFormat& format, Encodings& encodings, Page& page);

}  // namespace aspconv
