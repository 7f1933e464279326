# A reader that asks for several targets at once (MULTIPLE), as a clipboard manager does:
# UTF8_STRING and image/png. It prints the targets the owner gave (None for each it refused, by
# naming None for its target, as the protocol says, or for its property, as GTK does), then the
# UTF8_STRING text.
import sys

from Xlib import X, Xatom, display

d = display.Display()
window = d.screen().root.create_window(0, 0, 1, 1, 0, X.CopyFromParent)
pairs_property = d.intern_atom("PAIRS")
text_property = d.intern_atom("TEXT_PART")
picture_property = d.intern_atom("PICTURE_PART")
pairs = [d.intern_atom("UTF8_STRING"), text_property, d.intern_atom("image/png"), picture_property]
window.change_property(pairs_property, d.intern_atom("ATOM_PAIR"), 32, pairs)
window.convert_selection(d.intern_atom("CLIPBOARD"), d.intern_atom("MULTIPLE"), pairs_property,
                         X.CurrentTime)
d.flush()
while True:
    event = d.next_event()
    if event.type == X.SelectionNotify:
        break
if event.property == X.NONE:
    sys.exit("MULTIPLE refused")
answered = window.get_full_property(pairs_property, X.AnyPropertyType).value
names = [d.get_atom_name(target) if X.NONE not in (target, property) else "None"
         for target, property in zip(answered[0::2], answered[1::2])]
print(" ".join(names), flush=True)
sys.stdout.buffer.write(window.get_full_property(text_property, X.AnyPropertyType).value)
