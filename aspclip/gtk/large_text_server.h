// Serves a clipboard text too large for one X request in pieces (the INCR protocol), on GDK's own
// X connection, in GTK's stead. GTK keeps the transfer of a reader that died, with a copy of the
// whole text, for as long as the process runs, and hands its remaining pieces to a later reader
// that happens to get the dead one's window ID: that reader pastes wrong code.
#pragma once

#include <gtk/gtk.h>

#include <memory>
#include <string>

namespace aspclip {

class LargeTextServer {
 public:
  // `text` is the UTF-8 text that this program put on `clipboard`, with LF line breaks; it must
  // outlive the server. The server answers requests for it while it exists.
  LargeTextServer(GtkClipboard* clipboard, const std::string& text);
  ~LargeTextServer();
  LargeTextServer(const LargeTextServer&) = delete;
  LargeTextServer& operator=(const LargeTextServer&) = delete;

  // True while a reader has not yet had all of its text.
  bool Serving() const;

 private:
  class Transfers;  // Xlib's names stay out of this header: its macros clash with the program's
  std::unique_ptr<Transfers> transfers_;
};

}  // namespace aspclip
