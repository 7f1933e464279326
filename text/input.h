// Reading a whole input into memory.
#pragma once

#include <cstddef>
#include <string_view>

#include "base/status.h"
#include "file_stamp.h"
#include "mapping_guard.h"

namespace aspclip {

// Asks for a large block of memory, not yet touched, to be backed by huge pages where there are
// any: its first touch then costs one fault per 2 MiB instead of one per 4 KiB.
void AdviseHugePages(char* block, std::size_t size);

// A large regular file is mapped rather than read, so that its bytes are neither copied nor held
// twice; anything else is read into one block that grows in place where the system allows, backed
// by huge pages where there are any (its first touch then costs one fault per 2 MiB).
class InputBuffer {
 public:
  InputBuffer() = default;
  ~InputBuffer();
  InputBuffer(const InputBuffer&) = delete;
  InputBuffer& operator=(const InputBuffer&) = delete;

  // Takes everything the descriptor holds from where it stands; throws std::bad_alloc when memory
  // runs out.
  Status ReadAll(int fd);

  // Turns each lone CR or LF into CR LF, `lone` being how many CountLoneLineBreaks finds.
  Status NormalizeLineBreaks(std::size_t lone);

  std::string_view view() const { return {data_, size_}; }

  // Fails when the file changed while it was read, as its size and modification time tell, or
  // when a mapped file shrank: its view then held zeros where the file had ended.
  Status CheckUnchanged() const;
  // Whether a mapped file has shrunk so far; cheap enough to ask as the page is converted.
  bool Shrank() const { return shrank_ || guard_.Shrank(); }

 private:
  bool Map(int fd, std::size_t fileSize);
  void Unmap();
  Status Read(int fd, std::size_t expected);
  void Reserve(std::size_t capacity);

  char* data_ = nullptr;
  std::size_t size_ = 0;
  std::size_t capacity_ = 0;
  // While the file is mapped: where it is, how large, and where the view starts in it.
  void* mapping_ = nullptr;
  std::size_t mappingSize_ = 0;
  int mappedFd_ = -1;
  long long mappedFrom_ = 0;
  MappingGuard guard_;
  bool shrank_ = false;
  // A mapped file's own descriptor, kept to look at it again once the page is converted.
  int stampedFd_ = -1;
  FileStamp stamp_{};
};

}  // namespace aspclip
