// Every input is read into memory: a mapped file's view could not be guarded against the file
// shrinking under it, as it is on Linux.
#include "input.h"

namespace aspclip {

void AdviseHugePages(char*, std::size_t) {}

bool InputBuffer::Map(int, std::size_t) {
  return false;
}

void InputBuffer::Unmap() {}

}  // namespace aspclip
