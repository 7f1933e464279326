// X11's connection as a source of GLib's main loop.
#pragma once

#include <glib.h>

#include "atoms.h"

namespace aspclip {

// A source, attached to the default main context, that calls `handle` with `data` whenever events
// wait on `display`: Xlib reads events into a queue of its own, which the connection's descriptor
// says nothing of, so the source looks at both. `handle` must take every event that waits.
GSource* AttachConnectionSource(Display* display, GSourceFunc handle, gpointer data);

}  // namespace aspclip
