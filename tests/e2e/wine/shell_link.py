# Prints what a shell link (.lnk) holds, read from the file itself as the shell reads it: its
# target's local path, its icon's location and index, and its hotkey as modifiers+key, one a line.
import struct
import sys

HAS_ID_LIST, HAS_LINK_INFO, IS_UNICODE = 0x01, 0x02, 0x80
STRINGS = (0x04, 0x08, 0x10, 0x20, 0x40)  # name, relative path, working folder, arguments, icon
MODIFIERS = ((0x02, "Ctrl"), (0x04, "Alt"), (0x01, "Shift"))

data = open(sys.argv[1], "rb").read()
flags, = struct.unpack_from("<I", data, 0x14)
icon_index, = struct.unpack_from("<i", data, 0x38)
key, modifiers = data[0x40], data[0x41]
at = 0x4C
if flags & HAS_ID_LIST:
    at += 2 + struct.unpack_from("<H", data, at)[0]
target = ""
if flags & HAS_LINK_INFO:
    size, _, _, _, local = struct.unpack_from("<IIIII", data, at)
    if local:
        target = data[at + local:data.index(b"\0", at + local)].decode("latin-1")
    at += size
strings = {}
for bit in STRINGS:
    if flags & bit:
        count, = struct.unpack_from("<H", data, at)
        width = 2 if flags & IS_UNICODE else 1
        raw = data[at + 2:at + 2 + count * width]
        strings[bit] = raw.decode("utf-16-le" if width == 2 else "latin-1").rstrip("\0")
        at += 2 + count * width
function_key = f"F{key - 0x6F}" if 0x70 <= key <= 0x87 else chr(key)
print("target", target)
print("icon", strings.get(0x40, ""), icon_index)
print("hotkey", "+".join([name for bit, name in MODIFIERS if modifiers & bit] + [function_key]))
