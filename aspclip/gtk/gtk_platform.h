// The clipboard of an X11 desktop, through GTK 3; through XWayland on a Wayland desktop that
// offers no data control.
#pragma once

#include <gtk/gtk.h>

#include <memory>
#include <string>

#include "desktop_platform.h"
#include "large_text_server.h"

namespace aspclip {

class GtkPlatform final : public DesktopPlatform {
 public:
  // GTK must be started, on its X11 backend.
  GtkPlatform();

  Status AskForText(bool& holdsText) override;
  Status ReadText(std::string& page) override;
  Status PutPreparedText() override;

  bool OwnsClipboard() const override { return owner_; }
  // Offers the text to a clipboard manager first; a signal that comes during the hand-off lets it
  // finish.
  void ServeUntilReplaced() override;

 private:
  void HandOffToManager();

  static void OnGet(GtkClipboard*, GtkSelectionData* data, guint, gpointer self);
  static void OnClear(GtkClipboard*, gpointer self);

  GtkClipboard* clipboard_;
  bool offersUtf8_ = false;
  bool owner_ = false;
  std::unique_ptr<LargeTextServer> largeText_;  // from when the code is on the clipboard
  GMainLoop* handOffLoop_ = nullptr;
};

}  // namespace aspclip
