// The clipboard of an X11 desktop (the CLIPBOARD selection), on a connection of this program's own
// through Xlib: the text is read and the code put on the clipboard before GTK has loaded for the
// box, and served from GLib's main loop while the box shows and after. On a Wayland desktop that
// offers no data control, this is the clipboard through XWayland.
#pragma once

#include <glib.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "base/status.h"

namespace aspclip {

struct Atoms;
struct PropertyValue;
class SelectionReader;
class SelectionServer;
struct XConnection;

class X11Clipboard {
 public:
  // Null when the X display cannot be opened.
  static std::unique_ptr<X11Clipboard> Connect();
  ~X11Clipboard();
  X11Clipboard(const X11Clipboard&) = delete;
  X11Clipboard& operator=(const X11Clipboard&) = delete;

  // The display, as DISPLAY names it.
  const std::string& DisplayName() const { return displayName_; }

  // Whether the clipboard's owner offers text; the form it is then read in is chosen here.
  Status AskForText(bool& holdsText);
  // The owner's text in UTF-8, as it sends it. The owner may go kOwnerAnswerMs without sending
  // anything, and send at most kMostClipboardBytes.
  // Nothing where it sent no text.
  Status ReadText(std::optional<std::string>& utf8);

  // Makes `text` (UTF-8 with LF line breaks) the clipboard's content, served from GLib's main loop
  // until another program sets the clipboard.
  Status Own(std::string text);
  bool Owns() const { return owns_; }
  // True while a reader has not yet had all of its text.
  bool Serving() const;
  // Called once the code is no longer the clipboard's: another program set it.
  void OnReplaced(std::function<void()> replaced) { replaced_ = std::move(replaced); }
  // Offers the code to the desktop's clipboard manager, where one runs, and serves it until the
  // manager says it has it, or for at most `boundMs`.
  void HandOffToManager(unsigned boundMs);

  // Brings another program's window on this display to the front: the box of a run under way.
  void BringToFront(unsigned long window);

 private:
  explicit X11Clipboard(std::unique_ptr<XConnection> connection);
  std::optional<std::string> TextOf(PropertyValue& value) const;
  bool WindowManagerActivates() const;
  void WatchConnection();
  void HandleEvents();
  void Replaced();

  std::unique_ptr<XConnection> x_;
  std::string displayName_;
  std::unique_ptr<SelectionReader> reader_;
  unsigned long textTarget_ = 0;
  std::string text_;
  bool owns_ = false;
  std::unique_ptr<SelectionServer> server_;
  GSource* watch_ = nullptr;
  GMainLoop* handOff_ = nullptr;
  std::function<void()> replaced_;
};

// Ends the process, saying why, once the connection to the X server is lost; called again once
// GTK has started, which sets a handler of its own.
void EndOnLostDisplay();

}  // namespace aspclip
