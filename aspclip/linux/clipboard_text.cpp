#include "clipboard_text.h"

#include <new>

#include "base/scan.h"
#include "text/line_breaks.h"
#include "text/utf8.h"

namespace aspclip {

Status TakeText(std::optional<std::string_view> bytes, std::string& page) {
  if (!bytes) return Status::Failed("the program that owns the clipboard sent no text");
  if (const std::size_t bad = FindInvalidUtf8(*bytes); bad != kNotFound) {
    return Status::Failed("the clipboard text is not valid UTF-8 (bad byte at offset " +
                          std::to_string(bad) + ")");
  }
  try {
    page = WithCrLf(*bytes);
  } catch (const std::bad_alloc&) {
    return Status::Failed("not enough memory for the clipboard text");
  }
  return Status::Ok();
}

void LfSink::Put(std::string_view piece) {
  AppendWithLf(piece, out_);
}

}  // namespace aspclip
