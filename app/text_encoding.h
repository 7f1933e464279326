// Text at the platform boundary: UTF-8 bytes and the platform's line breaks on one side, the
// engine's UTF-16 Text with CR LF line breaks on the other.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "convert/text_ops.h"

namespace aspclip {

enum class LineBreaks {
  kAsIs,      // every CR and LF passes unchanged
  kToCrLf,    // reading: CR LF, a lone CR and a lone LF each become CR LF
  kCrLfToLf,  // writing: CR LF becomes LF
};

struct Utf8Decoding {
  Text text;
  std::optional<std::size_t> errorOffset;  // of the first byte of the first invalid sequence
};

// Strict UTF-8: overlong forms, surrogates and code points past U+10FFFF are invalid.
Utf8Decoding DecodeUtf8(std::string_view bytes, LineBreaks breaks);

// A lone surrogate, which no UTF-8 can carry, is written as U+FFFD.
std::string EncodeUtf8(TextView text, LineBreaks breaks);

// Encodes the text a piece at a time and hands each piece to `write`, so that no encoded copy of
// the whole text is ever held; stops and returns false as soon as `write` does.
bool WriteUtf8(TextView text, LineBreaks breaks,
               const std::function<bool(std::string_view piece)>& write);

// Turns a lone CR or LF into CR LF, as the engine expects of every line break.
Text NormalizeLineBreaks(TextView text);

}  // namespace aspclip
