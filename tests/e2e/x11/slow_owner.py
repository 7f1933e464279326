#!/usr/bin/python3
"""A clipboard owner that sends its text slowly but steadily: in INCR pieces at a given rate.

usage: slow_owner.py FILE BYTES_PER_SECOND [endless]
It offers UTF8_STRING, prints "ready" once it owns the clipboard, and serves until another
program copies. An endless owner sends FILE over and over and never ends its transfer; a rate of 0
sends as fast as the reader takes it.
"""
import sys
import time

from Xlib import X, Xatom, display
from Xlib.protocol import event

PIECE = 64 * 1024
# An endless owner sends large pieces, so that a gigabyte takes seconds, not minutes.
ENDLESS_PIECE = 192 * 1024  # within the largest request without BIG-REQUESTS

d = display.Display()
window = d.screen().root.create_window(0, 0, 1, 1, 0, X.CopyFromParent)
clipboard, targets, utf8, incr = (d.intern_atom(name) for name in
                                  ("CLIPBOARD", "TARGETS", "UTF8_STRING", "INCR"))
data = open(sys.argv[1], "rb").read()
rate = int(sys.argv[2])
endless = sys.argv[3:] == ["endless"]
window.set_selection_owner(clipboard, X.CurrentTime)
d.flush()
print("ready", flush=True)

sent = {}  # (requestor, property) -> (window, bytes sent)
while True:
    e = d.next_event()
    if e.type == X.SelectionClear:
        break
    if e.type == X.SelectionRequest:
        requestor, prop = e.requestor, e.property or e.target
        if e.target == targets:
            requestor.change_property(prop, Xatom.ATOM, 32, [targets, utf8])
        elif e.target == utf8:
            requestor.change_attributes(event_mask=X.PropertyChangeMask)
            requestor.change_property(prop, incr, 32, [len(data)])
            sent[(requestor.id, prop)] = (requestor, 0)
        else:
            prop = X.NONE
        requestor.send_event(event.SelectionNotify(time=e.time, requestor=requestor,
                                                   selection=e.selection, target=e.target,
                                                   property=prop))
        d.flush()
    elif e.type == X.PropertyNotify and e.state == X.PropertyDelete:
        key = (e.window.id, e.atom)
        if key not in sent:
            continue
        requestor, offset = sent[key]
        piece = (data * (ENDLESS_PIECE // len(data) + 1))[:ENDLESS_PIECE] if endless else \
            data[offset:offset + PIECE]
        if rate:
            time.sleep(len(piece) / rate)
        requestor.change_property(e.atom, utf8, 8, piece)
        if piece:
            sent[key] = (requestor, offset + len(piece))
        else:
            del sent[key]
        d.flush()
