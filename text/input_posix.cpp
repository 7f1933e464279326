// Large pages are mapped rather than read, and blocks are backed by huge pages where the kernel
// has them.
#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>

#include "input.h"

namespace aspclip {

void AdviseHugePages(char* block, std::size_t size) {
  constexpr std::size_t kHugePage = 2 << 20;
  if (size < 2 * kHugePage) return;  // too small to hold a whole huge page
  const auto pageSize = static_cast<std::uintptr_t>(sysconf(_SC_PAGESIZE));
  const auto start = reinterpret_cast<std::uintptr_t>(block);
  const std::uintptr_t alignedStart = (start + pageSize - 1) & ~(pageSize - 1);
  if (alignedStart < start + size) {
    madvise(reinterpret_cast<void*>(alignedStart), start + size - alignedStart, MADV_HUGEPAGE);
  }
}

bool InputBuffer::Map(int fd, std::size_t fileSize) {
  // Below this a mapping costs more to set up and take down than reading the file does.
  constexpr std::size_t kSmallestMapped = 1 << 20;
  if (fileSize < kSmallestMapped) return false;
  const off_t from = lseek(fd, 0, SEEK_CUR);
  if (from < 0 || fileSize - static_cast<std::size_t>(from) < kSmallestMapped) return false;
  void* mapping = mmap(nullptr, fileSize, PROT_READ, MAP_PRIVATE | MAP_POPULATE, fd, 0);
  if (mapping == MAP_FAILED) return false;
  if (!guard_.Guard(mapping, fileSize)) {
    munmap(mapping, fileSize);
    return false;
  }
  mapping_ = mapping;
  mappingSize_ = fileSize;
  mappedFd_ = fd;
  mappedFrom_ = from;
  data_ = static_cast<char*>(mapping) + from;
  size_ = fileSize - static_cast<std::size_t>(from);
  return true;
}

void InputBuffer::Unmap() {
  if (mapping_ == nullptr) return;
  shrank_ = shrank_ || guard_.Shrank();
  guard_.Release();
  munmap(mapping_, mappingSize_);
  mapping_ = nullptr;
  data_ = nullptr;
  size_ = 0;
}

}  // namespace aspclip
