#include "input.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <new>

#include "base/scan.h"
#include "line_breaks.h"
#include "utf8.h"

#include <unistd.h>  // read, lseek, dup and close: MinGW's too

namespace aspclip {
namespace {

Status ChangedWhileRead() {
  return Status::Failed("cannot read input: the file changed while it was read");
}

}  // namespace

InputBuffer::~InputBuffer() {
  Unmap();
  std::free(data_);
  if (stampedFd_ >= 0) close(stampedFd_);
}

void InputBuffer::Reserve(std::size_t capacity) {
  if (capacity <= capacity_) return;
  char* grown = static_cast<char*>(std::realloc(data_, capacity));
  if (grown == nullptr) throw std::bad_alloc();
  data_ = grown;
  capacity_ = capacity;
  AdviseHugePages(data_, capacity_);
}

// Reads to the end, into a block of `expected` bytes and more as more comes. Only a read that gives
// nothing is the end: files in /proc, FUSE and some network file systems give less than asked for
// before it.
Status InputBuffer::Read(int fd, std::size_t expected) {
  constexpr std::size_t kChunk = 1 << 20;
  Reserve(size_ + expected + 1);  // + 1: the end shows at once
  for (;;) {
    if (capacity_ == size_) Reserve(std::max(size_ + kChunk, capacity_ + capacity_ / 2));
    const auto room = static_cast<unsigned>(std::min<std::size_t>(capacity_ - size_, kChunk));
    const auto got = read(fd, data_ + size_, room);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return CannotReadInput();
    size_ += static_cast<std::size_t>(got);
    if (got == 0) return Status::Ok();
  }
}

Status InputBuffer::CheckUnchanged() const {
  if (Shrank()) return ChangedWhileRead();
  struct stat info;
  if (stampedFd_ >= 0 && (fstat(stampedFd_, &info) != 0 || StampOf(info) != stamp_))
    return ChangedWhileRead();
  return Status::Ok();
}

Status InputBuffer::ReadAll(int fd) {
  struct stat info;
  const bool regular = fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
  const std::size_t fileSize = regular ? static_cast<std::size_t>(info.st_size) : 0;
  // A file saved over in place while it is read keeps its size, but not its modification time. A
  // mapped file is read as the page converts, and is looked at again once it has; one read into
  // memory, once it is read.
  if (Map(fd, fileSize)) {
    if (regular && (stampedFd_ = dup(fd)) >= 0) stamp_ = StampOf(info);
    return Status::Ok();
  }
  Status read = Read(fd, fileSize);
  struct stat after;
  if (read.ok() && regular && (fstat(fd, &after) != 0 || StampOf(after) != StampOf(info)))
    return ChangedWhileRead();
  return read;
}

Status InputBuffer::NormalizeLineBreaks(std::size_t lone) {
  if (lone == 0) return Status::Ok();
  if (mapping_ != nullptr) {
    // A mapping cannot grow: the file is read again into a block with room for the new bytes,
    // and checked and counted again in case it changed.
    const std::size_t size = size_;
    Unmap();
    Reserve(size + lone);
    if (lseek(mappedFd_, mappedFrom_, SEEK_SET) < 0) return CannotReadInput();
    if (Status read = Read(mappedFd_, size); !read.ok()) return read;
    const Utf8Scan again = ScanUtf8(view());
    if (again.badByte != kNotFound) return ChangedWhileRead();
    lone = again.loneLineBreaks;
  }
  Reserve(size_ + lone);
  ExpandLoneLineBreaks(data_, size_, lone);
  size_ += lone;
  return Status::Ok();
}

}  // namespace aspclip
