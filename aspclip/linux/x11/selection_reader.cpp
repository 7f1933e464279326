#include "selection_reader.h"

#include <poll.h>

#include <algorithm>
#include <cstring>

#include "aspclip/clipboard_run.h"

namespace aspclip {
namespace {

// Waits for the event that `wanted` accepts, for as long as the owner makes progress: a large text
// comes in many pieces, each an event, and the owner's time runs from the last one. Any event
// counts: while a request is under way this connection hears of nothing else.
template <typename Wanted>
bool AwaitEvent(Display* display, XEvent& event, Wanted wanted) {
  for (;;) {
    while (XPending(display) > 0) {
      XNextEvent(display, &event);
      if (wanted(event)) return true;
    }
    pollfd connection{ConnectionNumber(display), POLLIN, 0};
    if (poll(&connection, 1, static_cast<int>(kOwnerAnswerMs)) == 0) return false;
  }
}

}  // namespace

Status SelectionReader::Convert(Atom target, std::size_t mostBytes, PropertyValue& value) {
  value = {};
  XDeleteProperty(display_, window_, atoms_.transfer);
  XConvertSelection(display_, atoms_.clipboard, target, atoms_.transfer, window_, CurrentTime);
  XEvent event;
  const bool answered = AwaitEvent(display_, event, [this](const XEvent& e) {
    return e.type == SelectionNotify && e.xselection.requestor == window_ &&
           e.xselection.selection == atoms_.clipboard;
  });
  if (!answered) return OwnerDidNotAnswer();
  if (event.xselection.property == None) return Status::Ok();
  std::size_t tooLarge = 0;
  if (!ReadProperty(display_, window_, event.xselection.property, AfterReading::kDelete, value,
                    mostBytes, tooLarge)) {
    if (tooLarge != 0) return ClipboardTextTooLarge(tooLarge);
    value = {};
    return Status::Ok();
  }
  return value.type == atoms_.incr ? ReadIncrementally(mostBytes, value) : Status::Ok();
}

// The owner sends the next piece each time the last one is deleted, and an empty one at the end.
Status SelectionReader::ReadIncrementally(std::size_t mostBytes, PropertyValue& value) {
  long announced = 0;  // a lower bound of the size, by the protocol
  if (value.bytes.size() >= sizeof announced) {
    std::memcpy(&announced, value.bytes.data(), sizeof announced);
  }
  value = {};
  value.bytes.reserve(std::min(static_cast<std::size_t>(std::max(announced, 0L)), mostBytes));
  for (;;) {
    XEvent event;
    if (!AwaitPropertyChange(PropertyNewValue, event)) return OwnerDidNotAnswer();
    std::size_t tooLarge = 0;
    const std::size_t before = value.bytes.size();
    const Atom type = value.type;
    if (!ReadProperty(display_, window_, atoms_.transfer, AfterReading::kDelete, value, mostBytes,
                      tooLarge)) {
      if (tooLarge != 0) return ClipboardTextTooLarge(tooLarge);
      continue;
    }
    if (value.bytes.size() > before) continue;
    if (before > 0) value.type = type;  // the empty piece's type says nothing of the text
    return Status::Ok();
  }
}

bool SelectionReader::AwaitPropertyChange(int state, XEvent& event) {
  return AwaitEvent(display_, event, [this, state](const XEvent& e) {
    return e.type == PropertyNotify && e.xproperty.window == window_ &&
           e.xproperty.atom == atoms_.transfer && e.xproperty.state == state;
  });
}

Time SelectionReader::ServerTime() {
  XDeleteProperty(display_, window_, atoms_.transfer);
  XChangeProperty(display_, window_, atoms_.transfer, atoms_.transfer, 8, PropModeAppend, nullptr,
                  0);
  XEvent event;
  return AwaitPropertyChange(PropertyNewValue, event) ? event.xproperty.time : CurrentTime;
}

}  // namespace aspclip
