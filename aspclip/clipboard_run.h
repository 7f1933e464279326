// The program's whole run: convert the page on the clipboard and put the code in its place.
#pragma once

#include "platform.h"
#include "text/exit_codes.h"

namespace aspclip {

inline constexpr const char* kApplicationTitle = "aspclip";
inline constexpr const char* kNoTextMessage = "Please copy ASP code into clipboard.";
inline constexpr const char* kConvertedMessage = "Code converted";

// How long the clipboard's owner may go without sending anything before the run gives up on it.
inline constexpr unsigned kOwnerAnswerMs = 5000;
// The failure when it has, the same on every platform.
Status OwnerDidNotAnswer();

// Shows exactly one message and returns the program's exit code. The clipboard is emptied only
// once the converted text is ready to be put on it.
int ConvertClipboard(Platform& platform);

}  // namespace aspclip
