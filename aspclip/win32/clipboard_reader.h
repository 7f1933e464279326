// Reading the Windows clipboard's text within the same bound as everywhere: an owner that renders
// its text only when it is asked for may never answer.
#pragma once

#include <windows.h>

#include <string>

#include "base/status.h"

namespace aspclip {

// Opens the clipboard for `owner` (none to only read it), waiting a moment for a program that
// holds it open.
Status OpenClipboardWaiting(HWND owner);

// The clipboard's Unicode text, read on a worker thread: when it has not answered within
// kOwnerAnswerMs the run gives up on it, and the worker is left to the owner.
Status ReadClipboardText(std::u16string& text);

}  // namespace aspclip
