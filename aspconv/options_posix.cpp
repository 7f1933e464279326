#include "options.h"

namespace aspconv {

// "/?" is a path here: a file named "?" in the root folder.
bool IsPlatformHelp(const char*) {
  return false;
}

}  // namespace aspconv
