#include <string_view>

#include "options.h"

namespace aspconv {

bool IsPlatformHelp(const char* argument) {
  return std::string_view(argument) == "/?";
}

}  // namespace aspconv
