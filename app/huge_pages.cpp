// Global allocation for the programs on Linux: a large buffer (the page's text at each stage) is
// backed by transparent huge pages. Its first touch then costs one fault per 2 MiB instead of one
// per 4 KiB, which on a page of many megabytes is most of the conversion's time.
#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <new>

namespace {

constexpr std::size_t kHugePage = 2 << 20;

void AdviseHugePages(void* block, std::size_t size) {
  const auto pageSize = static_cast<std::uintptr_t>(sysconf(_SC_PAGESIZE));
  const auto start = reinterpret_cast<std::uintptr_t>(block);
  const std::uintptr_t alignedStart = (start + pageSize - 1) & ~(pageSize - 1);
  if (alignedStart < start + size) {
    madvise(reinterpret_cast<void*>(alignedStart), start + size - alignedStart, MADV_HUGEPAGE);
  }
}

}  // namespace

void* operator new(std::size_t size) {
  void* block = std::malloc(size == 0 ? 1 : size);
  if (block == nullptr) throw std::bad_alloc();
  if (size >= 2 * kHugePage) AdviseHugePages(block, size);
  return block;
}

void operator delete(void* block) noexcept {
  std::free(block);
}
void operator delete(void* block, std::size_t) noexcept {
  std::free(block);
}
