// A file mapped for reading may shrink while it is read (saved over, rotated), and then its pages
// past the new end fault with SIGBUS. A guarded mapping reads as zeros there instead, and tells
// that the file shrank, so that the page is failed with a message rather than the process killed.
#pragma once

#include <cstddef>

namespace aspclip {

class MappingGuard {
 public:
  MappingGuard() = default;
  ~MappingGuard() { Release(); }
  MappingGuard(const MappingGuard&) = delete;
  MappingGuard& operator=(const MappingGuard&) = delete;

  // Guards the mapping at `start`, `size` bytes long; false when no more can be guarded at once.
  bool Guard(void* start, std::size_t size);
  // Before the mapping goes.
  void Release();
  // Whether any of it faulted: the file shrank while it was mapped.
  bool Shrank() const;

 private:
  int slot_ = -1;
};

}  // namespace aspclip
