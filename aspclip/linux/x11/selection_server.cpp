#include "selection_server.h"

#include <algorithm>
#include <array>

#include "property.h"
#include "text_forms.h"

namespace aspclip {
namespace {

// Every property the protocol reads answers with fits a request many times over.
constexpr std::size_t kMostRequestorList = 64 * 1024;

}  // namespace

SelectionServer::SelectionServer(Display* display, const Atoms& atoms, Time owned,
                                 const std::string& text)
    : display_(display),
      atoms_(atoms),
      owned_(owned),
      text_(text),
      pieceBytes_(PieceBytes(display)) {}

// A request older than the clipboard's taking, which the protocol lets cross it, is refused. A
// requestor of the obsolete kind names no property: it reads the target's.
void SelectionServer::Answer(const XSelectionRequestEvent& request) {
  const Atom property = request.property != None ? request.property : request.target;
  const bool current = request.time == CurrentTime || request.time >= owned_;
  const bool answered =
      request.selection == atoms_.clipboard && current &&
      (request.target == atoms_.multiple ? ConvertEach(request.requestor, property)
                                         : Convert(request.requestor, request.target, property));
  XSelectionEvent notify{};
  notify.type = SelectionNotify;
  notify.display = display_;
  notify.requestor = request.requestor;
  notify.selection = request.selection;
  notify.target = request.target;
  notify.property = answered ? property : None;
  notify.time = request.time;
  XSendEvent(display_, request.requestor, False, NoEventMask, reinterpret_cast<XEvent*>(&notify));
  XFlush(display_);
}

bool SelectionServer::Convert(Window requestor, Atom target, Atom property) {
  if (target == atoms_.targets) {
    const std::array<Atom, 10> targets{atoms_.targets,     atoms_.timestamp,  atoms_.multiple,
                                       atoms_.saveTargets, atoms_.utf8String, atoms_.compoundText,
                                       atoms_.text,        XA_STRING,         atoms_.plainUtf8,
                                       atoms_.plain};
    Put(requestor, property, XA_ATOM, 32, targets.data(), targets.size());
  } else if (target == atoms_.timestamp) {
    const long owned = static_cast<long>(owned_);
    Put(requestor, property, XA_INTEGER, 32, &owned, 1);
  } else if (target == atoms_.saveTargets) {
    Put(requestor, property, atoms_.null, 32, nullptr, 0);  // what a clipboard manager asks of it
  } else {
    const std::optional<Form> form = FormFor(target);
    if (!form) return false;
    if (form->bytes.size() > pieceBytes_) return StartTransfer(requestor, property, *form);
    Put(requestor, property, form->type, 8, form->bytes.data(), form->bytes.size());
  }
  return true;
}

// MULTIPLE: the requestor's property lists pairs of a target and a property; the pair of each
// target this program cannot give becomes None and None, which both the protocol's readers (who
// look at the target) and GTK's (who look at the property) take for a refusal.
bool SelectionServer::ConvertEach(Window requestor, Atom property) {
  PropertyValue pairs;
  std::size_t tooLarge = 0;
  if (!ReadProperty(display_, requestor, property, AfterReading::kKeep, pairs, kMostRequestorList,
                    tooLarge)) {
    return false;
  }
  std::vector<Atom> list = AtomsIn(pairs);
  for (std::size_t i = 0; i + 1 < list.size(); i += 2) {
    if (list[i] == atoms_.multiple || !Convert(requestor, list[i], list[i + 1])) {
      list[i] = list[i + 1] = None;
    }
  }
  Put(requestor, property, atoms_.atomPair, 32, list.data(), list.size());
  return true;
}

void SelectionServer::Put(Window requestor, Atom property, Atom type, int format, const void* data,
                          std::size_t items) {
  XChangeProperty(display_, requestor, property, type, format, PropModeReplace,
                  static_cast<const unsigned char*>(data), static_cast<int>(items));
}

bool SelectionServer::StartTransfer(Window requestor, Atom property, const Form& form) {
  if (!WatchRequestor(requestor)) return false;
  std::erase_if(transfers_, [&](const Transfer& t) {
    return t.requestor == requestor && t.property == property;
  });
  transfers_.push_back({requestor, property, form.type, form.bytes});
  const long size = static_cast<long>(form.bytes.size());
  Put(requestor, property, atoms_.incr, 32, &size, 1);
  return true;
}

// The reader took the last piece: it gets the next, or an empty one that ends the transfer.
void SelectionServer::Continue(const XPropertyEvent& event) {
  const auto transfer = std::find_if(transfers_.begin(), transfers_.end(), [&](const Transfer& t) {
    return t.requestor == event.window && t.property == event.atom;
  });
  if (transfer == transfers_.end()) return;
  const std::string_view piece = transfer->rest.substr(0, pieceBytes_);
  Put(transfer->requestor, transfer->property, transfer->type, 8, piece.data(), piece.size());
  XFlush(display_);
  if (piece.empty()) {
    transfers_.erase(transfer);
  } else {
    transfer->rest.remove_prefix(piece.size());
  }
}

void SelectionServer::Forget(Window requestor) {
  std::erase_if(transfers_, [&](const Transfer& t) { return t.requestor == requestor; });
}

// Hears when the reader's window changes a property or goes away. False when it is gone.
bool SelectionServer::WatchRequestor(Window requestor) {
  XWindowAttributes attributes;
  if (XGetWindowAttributes(display_, requestor, &attributes) == 0) return false;
  XSelectInput(display_, requestor,
               attributes.your_event_mask | PropertyChangeMask | StructureNotifyMask);
  return true;
}

std::optional<SelectionServer::Form> SelectionServer::FormFor(Atom target) {
  if (target == atoms_.utf8String) return Form{atoms_.utf8String, text_};
  if (target == atoms_.text) target = atoms_.compoundText;  // as GTK answers it
  auto made = made_.find(target);
  if (made == made_.end()) {
    Atom type = None;
    std::optional<std::string> bytes = MadeForm(target, type);
    if (!bytes) return std::nullopt;
    made = made_.emplace(target, std::pair(type, std::move(*bytes))).first;
  }
  return Form{made->second.first, made->second.second};
}

std::optional<std::string> SelectionServer::MadeForm(Atom target, Atom& type) {
  type = target;
  if (target == XA_STRING) return StringForm(text_);
  if (target == atoms_.plainUtf8) return PlainTextForm(text_, PlainCharset::kUtf8);
  if (target == atoms_.plain) return PlainTextForm(text_, PlainCharset::kAscii);
  if (target != atoms_.compoundText) return std::nullopt;
  std::string text = ControlsLeftOut(text_);
  char* list[] = {text.data()};
  XTextProperty property{};
  // Where a character has no compound-text form, GTK refuses the form too.
  if (Xutf8TextListToTextProperty(display_, list, 1, XCompoundTextStyle, &property) != Success) {
    return std::nullopt;
  }
  std::string bytes(reinterpret_cast<const char*>(property.value), property.nitems);
  type = property.encoding;
  XFree(property.value);
  return bytes;
}

}  // namespace aspclip
