#!/usr/bin/python3
"""Print the title and text of the message box that application APP shows, read through the
accessibility interface (AT-SPI). usage: dialog_text.py APP [timeout_s]; exits 1 if none appears."""
import sys
import time

import gi

gi.require_version("Atspi", "2.0")
from gi.repository import Atspi  # noqa: E402

app_name = sys.argv[1]
timeout = float(sys.argv[2]) if len(sys.argv) > 2 else 10


def labels(node, out):
    if node is None:
        return out
    if node.get_role() == Atspi.Role.LABEL:
        out.append(node.get_name())
    for i in range(node.get_child_count()):
        labels(node.get_child_at_index(i), out)
    return out


def find_dialog():
    desktop = Atspi.get_desktop(0)
    for i in range(desktop.get_child_count()):
        app = desktop.get_child_at_index(i)
        if app is None or app.get_name() != app_name:
            continue
        for j in range(app.get_child_count()):
            win = app.get_child_at_index(j)
            if win is not None and win.get_role() in (Atspi.Role.ALERT, Atspi.Role.DIALOG):
                texts = [t for t in labels(win, []) if t]
                if texts:
                    return win.get_name(), texts
    return None


deadline = time.time() + timeout
while time.time() < deadline:
    found = find_dialog()
    if found:
        print("title=%s" % found[0])
        print("\n".join(found[1]))
        sys.exit(0)
    time.sleep(0.05)
sys.exit(1)
