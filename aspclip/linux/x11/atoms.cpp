#include "atoms.h"

#include <array>

namespace aspclip {

Atoms InternAtoms(Display* display) {
  std::array names{"CLIPBOARD",
                   "TARGETS",
                   "TIMESTAMP",
                   "MULTIPLE",
                   "ATOM_PAIR",
                   "INCR",
                   "NULL",
                   "UTF8_STRING",
                   "COMPOUND_TEXT",
                   "TEXT",
                   "text/plain;charset=utf-8",
                   "text/plain",
                   "CLIPBOARD_MANAGER",
                   "SAVE_TARGETS",
                   "ASPCLIP_SELECTION",
                   "_NET_SUPPORTED",
                   "_NET_ACTIVE_WINDOW"};
  std::array<Atom, names.size()> atoms{};
  XInternAtoms(display, const_cast<char**>(names.data()), static_cast<int>(names.size()), False,
               atoms.data());
  const auto [clipboard, targets, timestamp, multiple, atomPair, incr, null, utf8String,
              compoundText, text, plainUtf8, plain, clipboardManager, saveTargets, transfer,
              netSupported, netActiveWindow] = atoms;
  return {clipboard,    targets,        timestamp,        multiple,     atomPair,
          incr,         null,           utf8String,       compoundText, text,
          plainUtf8,    plain,          clipboardManager, saveTargets,  transfer,
          netSupported, netActiveWindow};
}

}  // namespace aspclip
