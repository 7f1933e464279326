#include "large_text_server.h"

#include <X11/Xproto.h>
#include <gdk/gdkx.h>
#include <gtk/gtk.h>

#include <algorithm>
#include <map>
#include <new>
#include <optional>
#include <string_view>
#include <vector>

namespace aspclip {
namespace {

// Pieces no larger than GTK's own, so that one reader does not hold the connection for long.
constexpr std::size_t kLargestPiece = 256 * 1024;
constexpr std::size_t kBytesPerRequestUnit = 4;

// The bytes of text that one ChangeProperty request can carry on this connection.
std::size_t PieceBytes(Display* display) {
  long units = XExtendedMaxRequestSize(display);
  if (units == 0) units = XMaxRequestSize(display);
  const std::size_t fits = static_cast<std::size_t>(units) * kBytesPerRequestUnit -
                           static_cast<std::size_t>(sz_xChangePropertyReq);
  return std::min(kLargestPiece, fits);
}

}  // namespace

class LargeTextServer::Transfers {
 public:
  Transfers(GtkClipboard* clipboard, const std::string& text)
      : clipboard_(clipboard),
        display_(gtk_clipboard_get_display(clipboard)),
        x_(GDK_DISPLAY_XDISPLAY(display_)),
        text_(text),
        pieceBytes_(PieceBytes(x_)),
        selection_(Intern("CLIPBOARD")),
        incr_(Intern("INCR")),
        utf8_(Intern("UTF8_STRING")) {
    gdk_window_add_filter(nullptr, OnEvent, this);
  }
  ~Transfers() {
    gdk_window_remove_filter(nullptr, OnEvent, this);
    for (const auto& [target, converted] : converted_) {
      if (converted != nullptr) gtk_selection_data_free(converted);
    }
  }
  Transfers(const Transfers&) = delete;
  Transfers& operator=(const Transfers&) = delete;

  bool empty() const { return transfers_.empty(); }

 private:
  // One reader's transfer: where it reads, the type it gets, and what it has not yet had.
  struct Transfer {
    Window requestor;
    Atom property;
    Atom type;
    std::string_view rest;
  };

  // The text as one form of it goes to a reader: its type and its bytes.
  struct Form {
    Atom type;
    std::string_view bytes;
  };

  Atom Intern(const char* name) { return gdk_x11_get_xatom_by_name_for_display(display_, name); }

  static GdkFilterReturn OnEvent(GdkXEvent* xevent, GdkEvent*, gpointer self) {
    auto* transfers = static_cast<Transfers*>(self);
    const XEvent& event = *static_cast<XEvent*>(xevent);
    switch (event.type) {
      case SelectionRequest:
        try {
          return transfers->Start(event.xselectionrequest);
        } catch (const std::bad_alloc&) {
          return GDK_FILTER_CONTINUE;  // GTK serves it instead, as it would have
        }
      case PropertyNotify:
        return transfers->Continue(event.xproperty);
      case DestroyNotify:
        transfers->Forget(event.xdestroywindow.window);
        return GDK_FILTER_CONTINUE;  // GDK may hold a record of the window as well
      default:
        return GDK_FILTER_CONTINUE;
    }
  }

  // The text in the form `target` asks for; none for what is not a form of text. UTF8_STRING is
  // the text as it is; the others, GTK's conversions, are asked of GTK once (it answers this
  // program's own request at once, without the X server) and kept.
  std::optional<Form> FormFor(Atom target) {
    if (target == utf8_) return Form{utf8_, text_};
    GdkAtom atom = gdk_x11_xatom_to_atom_for_display(display_, target);
    if (!gtk_targets_include_text(&atom, 1)) return std::nullopt;
    GtkSelectionData*& converted = converted_[target];
    if (converted == nullptr) {
      // A request that crossed another program's copy would go to that program, in a main loop
      // run inside this event's dispatch.
      if (gdk_selection_owner_get_for_display(display_, GDK_SELECTION_CLIPBOARD) == nullptr) {
        return std::nullopt;
      }
      converted = gtk_clipboard_wait_for_contents(clipboard_, atom);
    }
    if (converted == nullptr || gtk_selection_data_get_length(converted) < 0) return std::nullopt;
    const auto* bytes = reinterpret_cast<const char*>(gtk_selection_data_get_data(converted));
    return Form{
        gdk_x11_atom_to_xatom_for_display(display_, gtk_selection_data_get_data_type(converted)),
        {bytes, static_cast<std::size_t>(gtk_selection_data_get_length(converted))}};
  }

  // Hears when the reader's window changes a property or goes away. False when it is gone.
  bool WatchRequestor(Window window) {
    gdk_x11_display_error_trap_push(display_);
    XWindowAttributes attributes;
    const bool exists = XGetWindowAttributes(x_, window, &attributes) != 0;
    if (exists) {
      XSelectInput(x_, window,
                   attributes.your_event_mask | PropertyChangeMask | StructureNotifyMask);
    }
    return gdk_x11_display_error_trap_pop(display_) == 0 && exists;
  }

  GdkFilterReturn Start(const XSelectionRequestEvent& request) {
    if (request.selection != selection_) return GDK_FILTER_CONTINUE;
    // GTK answers what is no form of text (TARGETS, MULTIPLE) and what fits in one piece.
    const std::optional<Form> form = FormFor(request.target);
    if (!form || form->bytes.size() <= pieceBytes_) return GDK_FILTER_CONTINUE;
    // A requestor of the obsolete kind names no property: it reads the target's.
    const Atom property = request.property != None ? request.property : request.target;
    if (!WatchRequestor(request.requestor)) return GDK_FILTER_REMOVE;  // it is gone already
    Forget(request.requestor, property);
    transfers_.push_back({request.requestor, property, form->type, form->bytes});

    const long size = static_cast<long>(form->bytes.size());
    gdk_x11_display_error_trap_push(display_);
    XChangeProperty(x_, request.requestor, property, incr_, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(&size), 1);
    XSelectionEvent answer{};
    answer.type = SelectionNotify;
    answer.display = x_;
    answer.requestor = request.requestor;
    answer.selection = request.selection;
    answer.target = request.target;
    answer.property = property;
    answer.time = request.time;
    XSendEvent(x_, request.requestor, False, NoEventMask, reinterpret_cast<XEvent*>(&answer));
    XFlush(x_);
    gdk_x11_display_error_trap_pop_ignored(display_);
    return GDK_FILTER_REMOVE;
  }

  // The reader took the last piece: it gets the next, or an empty one that ends the transfer.
  GdkFilterReturn Continue(const XPropertyEvent& event) {
    if (event.state != PropertyDelete) return GDK_FILTER_CONTINUE;
    const auto transfer = std::find_if(transfers_.begin(), transfers_.end(), [&](const auto& t) {
      return t.requestor == event.window && t.property == event.atom;
    });
    if (transfer == transfers_.end()) return GDK_FILTER_CONTINUE;
    const std::string_view piece = transfer->rest.substr(0, pieceBytes_);
    gdk_x11_display_error_trap_push(display_);
    XChangeProperty(x_, transfer->requestor, transfer->property, transfer->type, 8, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(piece.data()),
                    static_cast<int>(piece.size()));
    XFlush(x_);
    gdk_x11_display_error_trap_pop_ignored(display_);
    if (piece.empty()) {
      transfers_.erase(transfer);
    } else {
      transfer->rest.remove_prefix(piece.size());
    }
    return GDK_FILTER_REMOVE;
  }

  void Forget(Window window, Atom property) {
    std::erase_if(transfers_,
                  [&](const auto& t) { return t.requestor == window && t.property == property; });
  }
  void Forget(Window window) {
    std::erase_if(transfers_, [&](const auto& t) { return t.requestor == window; });
  }

  GtkClipboard* clipboard_;
  GdkDisplay* display_;
  Display* x_;
  const std::string& text_;
  std::size_t pieceBytes_;
  Atom selection_, incr_, utf8_;
  std::map<Atom, GtkSelectionData*> converted_;
  std::vector<Transfer> transfers_;
};

LargeTextServer::LargeTextServer(GtkClipboard* clipboard, const std::string& text)
    : transfers_(std::make_unique<Transfers>(clipboard, text)) {}

LargeTextServer::~LargeTextServer() = default;

bool LargeTextServer::Serving() const {
  return !transfers_->empty();
}

}  // namespace aspclip
