#include "x11_clipboard.h"

#include "atoms.h"  // first: it undoes Xlib's Status macro

#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstdio>

#include "aspclip/clipboard_run.h"
#include "connection_source.h"
#include "property.h"
#include "selection_reader.h"
#include "selection_server.h"
#include "text_forms.h"

namespace aspclip {
namespace {

// What an owner's list of targets may take: far more than any owner offers.
constexpr std::size_t kMostTargetsBytes = 1 << 20;
// _NET_ACTIVE_WINDOW's source: a pager, which window managers obey even when they keep programs
// from taking the focus; the box was asked for by the user.
constexpr long kActivatedByPager = 2;

// An error on this connection comes from a reader that went away while it was served.
int IgnoreError(Display*, XErrorEvent*) {
  return 0;
}

// The X server went away (it was shut down, or the session ended): the run ends, saying why.
int SayLostDisplay(Display*) {
  std::fprintf(stderr, "%s: lost the connection to the X display\n", kApplicationTitle);
  _exit(kExitFailure);
}

}  // namespace

// The connection, its atoms and the window that requests and owns the clipboard, which is never
// shown.
struct XConnection {
  explicit XConnection(Display* opened)
      : display(opened),
        atoms(InternAtoms(opened)),
        window(XCreateSimpleWindow(opened, DefaultRootWindow(opened), 0, 0, 1, 1, 0, 0, 0)) {
    XSelectInput(display, window, PropertyChangeMask);
  }
  ~XConnection() {
    XDestroyWindow(display, window);
    XCloseDisplay(display);
  }
  XConnection(const XConnection&) = delete;
  XConnection& operator=(const XConnection&) = delete;

  Display* display;
  Atoms atoms;
  Window window;
};

void EndOnLostDisplay() {
  XSetIOErrorHandler(SayLostDisplay);
}

std::unique_ptr<X11Clipboard> X11Clipboard::Connect() {
  Display* display = XOpenDisplay(nullptr);
  if (display == nullptr) return nullptr;
  XSetErrorHandler(IgnoreError);
  EndOnLostDisplay();
  return std::unique_ptr<X11Clipboard>(new X11Clipboard(std::make_unique<XConnection>(display)));
}

X11Clipboard::X11Clipboard(std::unique_ptr<XConnection> connection)
    : x_(std::move(connection)),
      displayName_(DisplayString(x_->display)),
      reader_(std::make_unique<SelectionReader>(x_->display, x_->atoms, x_->window)) {}

X11Clipboard::~X11Clipboard() {
  if (watch_ != nullptr) {
    g_source_destroy(watch_);
    g_source_unref(watch_);
  }
}

// The first of the owner's targets in the order GTK programs read them, the one that names its
// encoding first.
Status X11Clipboard::AskForText(bool& holdsText) {
  PropertyValue targets;
  if (Status asked = reader_->Convert(x_->atoms.targets, kMostTargetsBytes, targets); !asked.ok()) {
    return asked;
  }
  const std::vector<Atom> offered = AtomsIn(targets);
  const Atoms& a = x_->atoms;
  textTarget_ = None;
  for (const Atom target :
       {a.utf8String, a.plainUtf8, a.compoundText, Atom{XA_STRING}, a.text, a.plain}) {
    if (std::find(offered.begin(), offered.end(), target) == offered.end()) continue;
    textTarget_ = target;
    break;
  }
  holdsText = textTarget_ != None;
  return Status::Ok();
}

Status X11Clipboard::ReadText(std::optional<std::string>& utf8) {
  PropertyValue value;
  if (Status read = reader_->Convert(textTarget_, kMostClipboardBytes, value); !read.ok()) {
    return read;
  }
  utf8 = TextOf(value);
  return Status::Ok();
}

// The text in UTF-8 by the type the owner gave it.
std::optional<std::string> X11Clipboard::TextOf(PropertyValue& value) const {
  const Atoms& a = x_->atoms;
  if (value.format != 8) return std::nullopt;
  if (value.type == a.utf8String || value.type == a.plainUtf8 || value.type == a.plain) {
    return std::move(value.bytes);
  }
  if (value.type == XA_STRING) return FromLatin1(value.bytes);
  if (value.type != a.compoundText) return std::nullopt;
  XTextProperty property{reinterpret_cast<unsigned char*>(value.bytes.data()), value.type, 8,
                         value.bytes.size()};
  char** list = nullptr;
  int count = 0;
  if (Xutf8TextPropertyToTextList(x_->display, &property, &list, &count) < Success || count < 1) {
    return std::nullopt;
  }
  std::string text(list[0]);
  XFreeStringList(list);
  return text;
}

Status X11Clipboard::Own(std::string text) {
  text_ = std::move(text);
  const Time owned = reader_->ServerTime();
  XSetSelectionOwner(x_->display, x_->atoms.clipboard, x_->window, owned);
  if (XGetSelectionOwner(x_->display, x_->atoms.clipboard) != x_->window) {
    return Status::Failed("the X server did not make this program the clipboard's owner");
  }
  owns_ = true;
  server_ = std::make_unique<SelectionServer>(x_->display, x_->atoms, owned, text_);
  WatchConnection();
  return Status::Ok();
}

bool X11Clipboard::Serving() const {
  return server_ != nullptr && server_->Serving();
}

// The clipboard manager's protocol (SAVE_TARGETS): the manager reads the code while the hand-off
// waits, and says when it has it.
void X11Clipboard::HandOffToManager(unsigned boundMs) {
  if (!owns_ || XGetSelectionOwner(x_->display, x_->atoms.clipboardManager) == None) return;
  XConvertSelection(x_->display, x_->atoms.clipboardManager, x_->atoms.saveTargets,
                    x_->atoms.transfer, x_->window, CurrentTime);
  XFlush(x_->display);
  handOff_ = g_main_loop_new(nullptr, FALSE);
  const guint bound = g_timeout_add(
      boundMs,
      [](gpointer loop) {
        g_main_loop_quit(static_cast<GMainLoop*>(loop));
        return G_SOURCE_REMOVE;
      },
      handOff_);
  g_main_loop_run(handOff_);
  if (GSource* pending = g_main_context_find_source_by_id(nullptr, bound))
    g_source_destroy(pending);
  g_main_loop_unref(std::exchange(handOff_, nullptr));
}

bool X11Clipboard::WindowManagerActivates() const {
  PropertyValue supported;
  std::size_t tooLarge = 0;
  if (!ReadProperty(x_->display, DefaultRootWindow(x_->display), x_->atoms.netSupported,
                    AfterReading::kKeep, supported, kMostTargetsBytes, tooLarge)) {
    return false;
  }
  const std::vector<Atom> hints = AtomsIn(supported);
  return std::find(hints.begin(), hints.end(), x_->atoms.netActiveWindow) != hints.end();
}

// Through the window manager where one runs; else the window is raised and given the focus.
void X11Clipboard::BringToFront(unsigned long window) {
  Display* display = x_->display;
  if (WindowManagerActivates()) {
    XEvent activate{};
    activate.xclient.type = ClientMessage;
    activate.xclient.window = window;
    activate.xclient.message_type = x_->atoms.netActiveWindow;
    activate.xclient.format = 32;
    activate.xclient.data.l[0] = kActivatedByPager;
    activate.xclient.data.l[1] = CurrentTime;
    XSendEvent(display, DefaultRootWindow(display), False,
               SubstructureRedirectMask | SubstructureNotifyMask, &activate);
  } else {
    XRaiseWindow(display, window);
    XSetInputFocus(display, window, RevertToParent, CurrentTime);
  }
  XSync(display, False);
}

void X11Clipboard::WatchConnection() {
  const auto handle = [](gpointer self) -> gboolean {
    static_cast<X11Clipboard*>(self)->HandleEvents();
    return G_SOURCE_CONTINUE;
  };
  watch_ = AttachConnectionSource(x_->display, handle, this);
}

void X11Clipboard::HandleEvents() {
  const Atoms& a = x_->atoms;
  while (XPending(x_->display) > 0) {
    XEvent event;
    XNextEvent(x_->display, &event);
    switch (event.type) {
      case SelectionRequest:
        server_->Answer(event.xselectionrequest);
        break;
      case SelectionClear:
        if (event.xselectionclear.selection == a.clipboard) Replaced();
        break;
      case PropertyNotify:
        if (event.xproperty.state == PropertyDelete) server_->Continue(event.xproperty);
        break;
      case DestroyNotify:
        server_->Forget(event.xdestroywindow.window);
        break;
      case SelectionNotify:
        if (event.xselection.selection == a.clipboardManager && handOff_ != nullptr) {
          g_main_loop_quit(handOff_);
        }
        break;
      default:
        break;
    }
  }
}

void X11Clipboard::Replaced() {
  owns_ = false;
  if (handOff_ != nullptr) g_main_loop_quit(handOff_);
  if (replaced_) replaced_();
}

}  // namespace aspclip
