#include "wayland_platform.h"

#include "clipboard_text.h"

namespace aspclip {

// A Wayland compositor has no hand-off to a clipboard manager: the code a signal during the box
// leaves is served on, or it would be lost.
WaylandPlatform::WaylandPlatform(DataControlClipboard& clipboard, std::function<Status()> startGtk)
    : DesktopPlatform(SignalDuringBox::kClosesBox, std::move(startGtk)), clipboard_(clipboard) {
  clipboard_.OnReplaced([this] { EndServing(); });
}

Status WaylandPlatform::AskForText(bool& holdsText) {
  textType_ = clipboard_.TextType();
  holdsText = !textType_.empty();
  return Status::Ok();
}

Status WaylandPlatform::ReadText(std::string& page) {
  std::string bytes;
  if (Status read = clipboard_.Read(textType_, bytes); !read.ok()) return read;
  return TakeText(std::string_view(bytes), page);
}

// Setting the selection replaces all that the clipboard holds at once, as on X11.
Status WaylandPlatform::PutPreparedText() {
  return clipboard_.Own(std::move(Prepared()));
}

// Clipboard managers on Wayland read each new selection as it comes, so nothing is handed off.
void WaylandPlatform::ServeUntilReplaced() {
  if (clipboard_.Owns()) Serve();
  if (StopRequested()) FinishTransfers([this] { return clipboard_.Serving(); });
}

}  // namespace aspclip
