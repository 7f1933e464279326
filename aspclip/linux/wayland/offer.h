// Reading the clipboard's offer: the type to read its text in, and the text as its owner sends
// it down a pipe.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "aspclip/clipboard_run.h"
#include "base/status.h"

namespace aspclip {

// Of the types an offer lists, the one to read its text in: the one that names its encoding, then
// those that X11 programs offer through XWayland; empty when none is text.
std::string BestTextType(const std::vector<std::string>& types);

// Reads `fd` to its end onto `bytes` while the owner keeps sending: an owner that sends nothing
// for kOwnerAnswerMs, or more than `mostBytes` in all, fails the read.
Status ReadOwnersPipe(int fd, std::string& bytes, std::size_t mostBytes = kMostClipboardBytes);

}  // namespace aspclip
