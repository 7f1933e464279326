#include "property.h"

#include <X11/Xproto.h>

#include <algorithm>
#include <cstring>

namespace aspclip {
namespace {

constexpr std::size_t kLargestPiece = 256 * 1024;
constexpr std::size_t kBytesPerRequestUnit = 4;

std::size_t ItemBytes(int format) {
  return format == 32 ? sizeof(long) : static_cast<std::size_t>(format) / 8;
}

}  // namespace

// One request reads all that there is room for, and a little more: a value that fits is read whole,
// and then deleted where asked (a request with no reply); one that does not fit stays.
bool ReadProperty(Display* display, Window window, Atom property, AfterReading after,
                  PropertyValue& value, std::size_t mostBytes, std::size_t& tooLarge) {
  const std::size_t room = mostBytes - std::min(mostBytes, value.bytes.size());
  Atom type = None;
  int format = 0;
  unsigned long items = 0, bytesAfter = 0;
  unsigned char* data = nullptr;
  if (XGetWindowProperty(display, window, property, 0,
                         static_cast<long>(room / kBytesPerRequestUnit + 1), False, AnyPropertyType,
                         &type, &format, &items, &bytesAfter, &data) != Success) {
    return false;
  }
  const std::size_t sent = items * static_cast<std::size_t>(format) / 8;
  const bool fits = type != None && bytesAfter == 0 && sent <= room;
  if (fits) {
    value.type = type;
    value.format = format;
    value.bytes.append(reinterpret_cast<const char*>(data), items * ItemBytes(format));
    if (after == AfterReading::kDelete) XDeleteProperty(display, window, property);
  } else if (type != None) {
    tooLarge = value.bytes.size() + sent + bytesAfter;
  }
  if (data != nullptr) XFree(data);
  return fits;
}

std::vector<Atom> AtomsIn(const PropertyValue& value) {
  std::vector<Atom> atoms;
  if (value.format != 32) return atoms;
  atoms.resize(value.bytes.size() / sizeof(long));
  std::memcpy(atoms.data(), value.bytes.data(), atoms.size() * sizeof(long));
  return atoms;
}

std::size_t PieceBytes(Display* display) {
  long units = XExtendedMaxRequestSize(display);
  if (units == 0) units = XMaxRequestSize(display);
  const std::size_t fits = static_cast<std::size_t>(units) * kBytesPerRequestUnit -
                           static_cast<std::size_t>(sz_xChangePropertyReq);
  return std::min(kLargestPiece, fits);
}

}  // namespace aspclip
