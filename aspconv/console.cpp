#include "console.h"

#include <cstdio>

namespace aspconv {

std::string ControlsEscaped(std::string_view text) {
  std::string shown;
  shown.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto byte = static_cast<unsigned char>(text[i]);
    // A C1 control in UTF-8: 0xC2 and a byte from 0x80 to 0x9F.
    const bool c1 = byte == 0xC2 && i + 1 < text.size() &&
                    static_cast<unsigned char>(text[i + 1]) >= 0x80 &&
                    static_cast<unsigned char>(text[i + 1]) <= 0x9F;
    if (byte >= 0x20 && byte != 0x7F && !c1) {
      shown += text[i];
      continue;
    }
    static constexpr char kNamed[] = "abtnvfr";
    char escape[8];
    if (c1) {
      std::snprintf(escape, sizeof escape, "\\u%04x", static_cast<unsigned char>(text[++i]));
    } else if (byte >= '\a' && byte <= '\r') {
      std::snprintf(escape, sizeof escape, "\\%c", kNamed[byte - '\a']);
    } else {
      std::snprintf(escape, sizeof escape, "\\%03o", byte);
    }
    shown += escape;
  }
  return shown;
}

}  // namespace aspconv
