#include "clipboard_text.h"

#include <new>

#include "text/line_breaks.h"
#include "text/utf8.h"

namespace aspclip {

ReceivedText Receive(std::optional<std::string_view> bytes) {
  ReceivedText received;
  received.sent = bytes.has_value();
  if (!bytes) return received;
  received.badByte = FindInvalidUtf8(*bytes);
  if (received.badByte != kNotFound) return received;
  try {
    received.page = WithCrLf(*bytes);
  } catch (const std::bad_alloc&) {
    received.outOfMemory = true;
  }
  return received;
}

Status TakeText(ReceivedText& received, std::string& page) {
  if (!received.sent) return Status::Failed("the program that owns the clipboard sent no text");
  if (received.badByte != kNotFound) {
    return Status::Failed("the clipboard text is not valid UTF-8 (bad byte at offset " +
                          std::to_string(received.badByte) + ")");
  }
  if (received.outOfMemory) return Status::Failed("not enough memory for the clipboard text");
  page = std::move(received.page);
  return Status::Ok();
}

void LfSink::Put(std::string_view piece) {
  AppendWithLf(piece, out_);
}

}  // namespace aspclip
