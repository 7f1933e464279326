// The program's whole run: convert the page on the clipboard and put the code in its place.
#pragma once

#include <cstddef>

#include "platform.h"
#include "base/exit_codes.h"

namespace aspclip {

inline constexpr const char* kApplicationTitle = "aspclip";
inline constexpr const char* kNoTextMessage = "Please copy ASP code into clipboard.";
inline constexpr const char* kConvertedMessage = "Code converted";

// How long the clipboard's owner may go without sending anything before the run gives up on it.
inline constexpr unsigned kOwnerAnswerMs = 5000;
// The failure when it has, the same on every platform.
Status OwnerDidNotAnswer();

// The most text the clipboard's owner may send: a clipboard text is read whole into memory, and
// past 2 GiB GTK cannot hold it. An owner that never ends its transfer is stopped here.
inline constexpr std::size_t kMostClipboardBytes = std::size_t{1} << 30;
// The failure when it has sent more, after `received` bytes.
Status ClipboardTextTooLarge(std::size_t received);

// Shows exactly one message and returns the program's exit code. The clipboard is emptied only
// once the converted text is ready to be put on it.
int ConvertClipboard(Platform& platform);

}  // namespace aspclip
