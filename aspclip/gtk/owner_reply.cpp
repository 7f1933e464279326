#include "owner_reply.h"

#include <string>

// Last, and Xlib's Status macro undone, which would clash with the program's Status.
#include <gdk/gdkx.h>
#undef Status

namespace aspclip {
namespace {

constexpr guint kCheckMs = kOwnerAnswerMs / 20;
constexpr gint64 kMicrosecondsPerMs = 1000;

// GTK reads what an owner sends through this property of its own window.
Atom TransferProperty(Display* display) {
  return XInternAtom(display, "GDK_SELECTION", False);
}

// The bytes of a piece the owner has just put on GTK's window.
std::size_t PieceBytes(const XPropertyEvent& event) {
  Atom type;
  int format;
  unsigned long items, bytesAfter;
  unsigned char* data = nullptr;
  if (XGetWindowProperty(event.display, event.window, event.atom, 0, 0, False, AnyPropertyType,
                         &type, &format, &items, &bytesAfter, &data) != Success) {
    return 0;
  }
  if (data != nullptr) XFree(data);
  return bytesAfter;
}

bool IsTransferPiece(const XEvent& event) {
  return event.type == PropertyNotify && event.xproperty.state == PropertyNewValue &&
         event.xproperty.atom == TransferProperty(event.xproperty.display);
}

// Once a transfer has been stopped, GTK never hears of its pieces again, and so never asks for
// more: the owner waits, and GTK's copy grows no further.
GdkFilterReturn HideTransferPieces(GdkXEvent* xevent, GdkEvent*, gpointer) {
  return IsTransferPiece(*static_cast<XEvent*>(xevent)) ? GDK_FILTER_REMOVE : GDK_FILTER_CONTINUE;
}

}  // namespace

ProgressWatch::ProgressWatch(GMainLoop* loop) : loop_(loop), last_(g_get_monotonic_time()) {
  gdk_window_add_filter(nullptr, OnEvent, this);
  timer_ = g_timeout_add(kCheckMs, OnCheck, this);
}

ProgressWatch::~ProgressWatch() {
  gdk_window_remove_filter(nullptr, OnEvent, this);
  if (timer_ != 0) g_source_remove(timer_);
}

Status ProgressWatch::Failure() const {
  return received_ > kMostClipboardBytes ? ClipboardTextTooLarge(received_) : OwnerDidNotAnswer();
}

GdkFilterReturn ProgressWatch::OnEvent(GdkXEvent* xevent, GdkEvent*, gpointer self) {
  auto* watch = static_cast<ProgressWatch*>(self);
  watch->last_ = g_get_monotonic_time();
  const XEvent& event = *static_cast<XEvent*>(xevent);
  if (!IsTransferPiece(event) || watch->received_ > kMostClipboardBytes) return GDK_FILTER_CONTINUE;
  watch->received_ += PieceBytes(event.xproperty);
  if (watch->received_ <= kMostClipboardBytes) return GDK_FILTER_CONTINUE;
  gdk_window_add_filter(nullptr, HideTransferPieces, nullptr);
  g_main_loop_quit(watch->loop_);
  return GDK_FILTER_REMOVE;
}

gboolean ProgressWatch::OnCheck(gpointer self) {
  auto* watch = static_cast<ProgressWatch*>(self);
  if (g_get_monotonic_time() - watch->last_ < kOwnerAnswerMs * kMicrosecondsPerMs) {
    return G_SOURCE_CONTINUE;
  }
  watch->timer_ = 0;
  g_main_loop_quit(watch->loop_);
  return G_SOURCE_REMOVE;
}

}  // namespace aspclip
