// Windows' input is never mapped (see input_win32.cpp): there is nothing to guard.
#include "mapping_guard.h"

namespace aspclip {

bool MappingGuard::Guard(void*, std::size_t) {
  return false;
}

void MappingGuard::Release() {}

bool MappingGuard::Shrank() const {
  return false;
}

}  // namespace aspclip
