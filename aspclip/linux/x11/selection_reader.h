// Reading the clipboard as X11's protocol has a requestor read it: a request in one target,
// answered through a property of this program's window in one piece, or in many (INCR). It runs
// before anything else waits on the connection: events that are not its answer are dropped.
#pragma once

#include <cstddef>

#include "atoms.h"
#include "base/status.h"
#include "property.h"

namespace aspclip {

class SelectionReader {
 public:
  SelectionReader(Display* display, const Atoms& atoms, Window window)
      : display_(display), atoms_(atoms), window_(window) {}

  // The clipboard's content in `target`, of at most `mostBytes`; type None where the owner
  // refused it or nobody owns the clipboard. The owner may go kOwnerAnswerMs without sending
  // anything.
  Status Convert(Atom target, std::size_t mostBytes, PropertyValue& value);

  // The X server's time now, which the clipboard is taken at.
  Time ServerTime();

 private:
  Status ReadIncrementally(std::size_t mostBytes, PropertyValue& value);
  bool AwaitPropertyChange(int state, XEvent& event);

  Display* display_;
  const Atoms& atoms_;
  Window window_;
};

}  // namespace aspclip
