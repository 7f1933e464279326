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

bool ReadProperty(Display* display, Window window, Atom property, AfterReading after,
                  PropertyValue& value, std::size_t mostBytes, std::size_t& tooLarge) {
  Atom type = None;
  int format = 0;
  unsigned long items = 0, bytesAfter = 0;
  unsigned char* data = nullptr;
  // First its size, then all of it at once, deleted (where asked) with the last byte read.
  if (XGetWindowProperty(display, window, property, 0, 0, False, AnyPropertyType, &type, &format,
                         &items, &bytesAfter, &data) != Success) {
    return false;
  }
  if (data != nullptr) XFree(data);
  if (type == None) return false;
  if (value.bytes.size() + bytesAfter > mostBytes) {
    tooLarge = value.bytes.size() + bytesAfter;
    return false;
  }
  const long units =
      static_cast<long>((bytesAfter + kBytesPerRequestUnit - 1) / kBytesPerRequestUnit);
  if (XGetWindowProperty(display, window, property, 0, units, after == AfterReading::kDelete,
                         AnyPropertyType, &type, &format, &items, &bytesAfter, &data) != Success) {
    return false;
  }
  value.type = type;
  value.format = format;
  if (data != nullptr) {
    value.bytes.append(reinterpret_cast<const char*>(data), items * ItemBytes(format));
    XFree(data);
  }
  return type != None;
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
