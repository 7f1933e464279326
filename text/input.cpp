#include "input.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <new>

#include "line_breaks.h"

#if defined(_WIN32)
#include <io.h>
#else
#include <unistd.h>
#endif
#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace aspclip {

void AdviseHugePages([[maybe_unused]] char* block, [[maybe_unused]] std::size_t size) {
#if defined(__linux__)
  constexpr std::size_t kHugePage = 2 << 20;
  if (size < 2 * kHugePage) return;  // too small to hold a whole huge page
  const auto pageSize = static_cast<std::uintptr_t>(sysconf(_SC_PAGESIZE));
  const auto start = reinterpret_cast<std::uintptr_t>(block);
  const std::uintptr_t alignedStart = (start + pageSize - 1) & ~(pageSize - 1);
  if (alignedStart < start + size) {
    madvise(reinterpret_cast<void*>(alignedStart), start + size - alignedStart, MADV_HUGEPAGE);
  }
#endif
}

InputBuffer::~InputBuffer() {
  Unmap();
  std::free(data_);
}

void InputBuffer::Reserve(std::size_t capacity) {
  if (capacity <= capacity_) return;
  char* grown = static_cast<char*>(std::realloc(data_, capacity));
  if (grown == nullptr) throw std::bad_alloc();
  data_ = grown;
  capacity_ = capacity;
  AdviseHugePages(data_, capacity_);
}

bool InputBuffer::Map([[maybe_unused]] int fd, [[maybe_unused]] std::size_t fileSize) {
#if defined(__linux__)
  // Below this a mapping costs more to set up and take down than reading the file does.
  constexpr std::size_t kSmallestMapped = 1 << 20;
  if (fileSize < kSmallestMapped) return false;
  const off_t from = lseek(fd, 0, SEEK_CUR);
  if (from < 0 || fileSize - static_cast<std::size_t>(from) < kSmallestMapped) return false;
  void* mapping = mmap(nullptr, fileSize, PROT_READ, MAP_PRIVATE | MAP_POPULATE, fd, 0);
  if (mapping == MAP_FAILED) return false;
  mapping_ = mapping;
  mappingSize_ = fileSize;
  mappedFd_ = fd;
  mappedFrom_ = from;
  data_ = static_cast<char*>(mapping) + from;
  size_ = fileSize - static_cast<std::size_t>(from);
  return true;
#else
  return false;
#endif
}

void InputBuffer::Unmap() {
#if defined(__linux__)
  if (mapping_ == nullptr) return;
  munmap(mapping_, mappingSize_);
  mapping_ = nullptr;
  data_ = nullptr;
  size_ = 0;
#endif
}

// Reads to the end, into a block of `expected` bytes and more as more comes. A regular file ends
// where a read gives less than it was asked for; a pipe ends only where a read gives nothing.
Status InputBuffer::Read(int fd, std::size_t expected, bool regular) {
  constexpr std::size_t kChunk = 1 << 20;
  Reserve(size_ + expected + 1);  // + 1: the end shows at once
  for (;;) {
    if (capacity_ == size_) Reserve(std::max(size_ + kChunk, capacity_ + capacity_ / 2));
    const auto room = static_cast<unsigned>(std::min<std::size_t>(capacity_ - size_, kChunk));
    const auto got = read(fd, data_ + size_, room);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return CannotReadInput();
    size_ += static_cast<std::size_t>(got);
    if (got == 0 || (regular && static_cast<std::size_t>(got) < room)) return Status::Ok();
  }
}

Status InputBuffer::ReadAll(int fd) {
  struct stat info;
  const bool regular = fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
  const std::size_t fileSize = regular ? static_cast<std::size_t>(info.st_size) : 0;
  if (Map(fd, fileSize)) return Status::Ok();
  return Read(fd, fileSize, regular);
}

Status InputBuffer::NormalizeLineBreaks(std::size_t lone) {
  if (lone == 0) return Status::Ok();
  if (mapping_ != nullptr) {
    // A mapping cannot grow: the file is read again into a block with room for the new bytes,
    // and counted again in case it changed.
    const std::size_t size = size_;
    Unmap();
    Reserve(size + lone);
    if (lseek(mappedFd_, mappedFrom_, SEEK_SET) < 0) return CannotReadInput();
    if (Status read = Read(mappedFd_, size, true); !read.ok()) return read;
    lone = CountLoneLineBreaks(view());
  }
  Reserve(size_ + lone);
  ExpandLoneLineBreaks(data_, size_, lone);
  size_ += lone;
  return Status::Ok();
}

}  // namespace aspclip
