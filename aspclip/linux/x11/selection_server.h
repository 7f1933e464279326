// Answers other programs' requests for the text this program put on the clipboard, in every form
// of text GTK programs offer: small answers at once, large ones in pieces (INCR), each reader's
// transfer on its own and forgotten when the reader goes away, so that no later reader, which may
// get the dead one's window ID, is sent the rest of another's text.
#pragma once

#include <cstddef>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "atoms.h"

namespace aspclip {

class SelectionServer {
 public:
  // `text` is UTF-8 with LF line breaks and must outlive the server; `owned` is the time the
  // clipboard was taken at.
  SelectionServer(Display* display, const Atoms& atoms, Time owned, const std::string& text);

  void Answer(const XSelectionRequestEvent& request);
  // A reader deleted a property: where it took a piece, it gets the next.
  void Continue(const XPropertyEvent& event);
  void Forget(Window requestor);
  // True while a reader has not yet had all of its text.
  bool Serving() const { return !transfers_.empty(); }

 private:
  struct Form {
    Atom type;
    std::string_view bytes;
  };
  struct Transfer {
    Window requestor;
    Atom property;
    Atom type;
    std::string_view rest;
  };

  bool Convert(Window requestor, Atom target, Atom property);
  bool ConvertEach(Window requestor, Atom property);
  void Put(Window requestor, Atom property, Atom type, int format, const void* data,
           std::size_t items);
  bool StartTransfer(Window requestor, Atom property, const Form& form);
  std::optional<Form> FormFor(Atom target);
  std::optional<std::string> MadeForm(Atom target, Atom& type);
  bool WatchRequestor(Window requestor);

  Display* display_;
  const Atoms& atoms_;
  Time owned_;
  const std::string& text_;
  std::size_t pieceBytes_;
  std::map<Atom, std::pair<Atom, std::string>> made_;  // each form but UTF-8, once asked for
  std::vector<Transfer> transfers_;
};

}  // namespace aspclip
