// The clipboard of an X11 desktop, with GTK's message box on its X11 backend; through XWayland on a
// Wayland desktop that offers no data control.
#pragma once

#include <string>

#include "aspclip/linux/x11/x11_clipboard.h"
#include "desktop_platform.h"

namespace aspclip {

class X11Platform final : public DesktopPlatform {
 public:
  // `startGtk` starts GTK on its X11 backend, before the first box.
  X11Platform(X11Clipboard& clipboard, std::function<Status()> startGtk);

  Status AskForText(bool& holdsText) override;
  Status ReadText(std::string& page) override;
  Status PutPreparedText() override;

  bool OwnsClipboard() const override { return clipboard_.Owns(); }
  // Offers the code to a clipboard manager first; a signal that comes during the hand-off lets it
  // finish.
  void ServeUntilReplaced() override;

 private:
  X11Clipboard& clipboard_;
};

}  // namespace aspclip
