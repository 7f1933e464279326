// A window property as the clipboard's protocol passes data in it.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "atoms.h"

namespace aspclip {

// What a property holds: its type, the size of its items in bits, and their bytes, format-32 items
// as Xlib hands them over (one long each).
struct PropertyValue {
  Atom type = None;
  int format = 0;
  std::string bytes;
};

enum class AfterReading { kKeep, kDelete };

// Reads the property `property` of `window` onto `value.bytes`; false when it cannot be read (the
// window is gone) or the property does not exist. A value that would take `value.bytes` past
// `mostBytes` is not kept: `tooLarge` gets the size they would have.
bool ReadProperty(Display* display, Window window, Atom property, AfterReading after,
                  PropertyValue& value, std::size_t mostBytes, std::size_t& tooLarge);

// The atoms of a format-32 value.
std::vector<Atom> AtomsIn(const PropertyValue& value);

// The most bytes of data one ChangeProperty request carries on this connection, up to a bound that
// keeps one reader from holding the connection for long.
std::size_t PieceBytes(Display* display);

}  // namespace aspclip
