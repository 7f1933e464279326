// The X atoms the clipboard's protocol (ICCCM) names, interned in one round trip.
#pragma once

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#undef Status  // Xlib's macro would clash with the program's Status; the headers above use it

namespace aspclip {

struct Atoms {
  Atom clipboard, targets, timestamp, multiple, atomPair, incr, null;
  Atom utf8String, compoundText, text, plainUtf8, plain;
  Atom clipboardManager, saveTargets;
  Atom transfer;  // the property of this program's window that owners answer through
  Atom netSupported, netActiveWindow;  // what the window manager does, and how it is asked
};

Atoms InternAtoms(Display* display);

}  // namespace aspclip
