#include "x11_platform.h"

#include <optional>

#include "clipboard_text.h"

namespace aspclip {

// The code that a signal during the box leaves is handed to the clipboard manager, as the desktop
// asks at logout.
X11Platform::X11Platform(X11Clipboard& clipboard, std::function<Status()> startGtk)
    : DesktopPlatform(SignalDuringBox::kEndsRun, std::move(startGtk)), clipboard_(clipboard) {
  clipboard_.OnReplaced([this] { EndServing(); });
}

// The owner's list of formats is asked for even when it would hand over text anyway: some owners
// answer any request with their data, a picture included.
Status X11Platform::AskForText(bool& holdsText) {
  return clipboard_.AskForText(holdsText);
}

Status X11Platform::ReadText(std::string& page) {
  std::optional<std::string> utf8;
  if (Status read = clipboard_.ReadText(utf8); !read.ok()) return read;
  return TakeText(utf8 ? std::optional<std::string_view>(*utf8) : std::nullopt, page);
}

// Taking the clipboard's ownership replaces every format of the old owner at once, so the clipboard
// is not emptied first: an ownership set to none in between is what clipboard managers take for an
// emptied clipboard, and some then lose the code that follows.
Status X11Platform::PutPreparedText() {
  return clipboard_.Own(std::move(Prepared()));
}

// A reader that is taking a large code when the run is asked to end gets the rest of it first: a
// clipboard manager that keeps what it reads (rather than asking for a hand-off) then has it.
void X11Platform::ServeUntilReplaced() {
  clipboard_.HandOffToManager(kHandOffMs);
  if (clipboard_.Owns()) Serve();
  if (StopRequested()) FinishTransfers([this] { return clipboard_.Serving(); });
}

}  // namespace aspclip
