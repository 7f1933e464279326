# A reader that dies halfway through the clipboard's text: it asks for UTF8_STRING, takes the first
# piece of the incremental transfer, says "midway" and ends, its window gone with its connection
# and the rest of the transfer never asked for.
import sys

from Xlib import X, display

d = display.Display()
window = d.screen().root.create_window(0, 0, 1, 1, 0, X.CopyFromParent,
                                       event_mask=X.PropertyChangeMask)
prop = d.intern_atom("PARTIAL")
window.convert_selection(d.intern_atom("CLIPBOARD"), d.intern_atom("UTF8_STRING"), prop,
                         X.CurrentTime)
d.flush()
while True:
    event = d.next_event()
    if event.type == X.SelectionNotify:
        if event.property == X.NONE:
            sys.exit("no text")
        reply = window.get_property(prop, X.AnyPropertyType, 0, 1)
        if reply is None or reply.property_type != d.intern_atom("INCR"):
            sys.exit("not an incremental transfer")
        window.delete_property(prop)  # asks for the first piece
        d.flush()
    elif (event.type == X.PropertyNotify and event.atom == prop
          and event.state == X.PropertyNewValue):
        print("midway", flush=True)
        sys.exit(0)
