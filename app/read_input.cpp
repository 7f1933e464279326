#include "read_input.h"

#include <sys/stat.h>

#include <algorithm>

namespace aspclip {

bool ReadAll(std::FILE* in, std::string& bytes) {
  constexpr std::size_t kChunk = 1 << 20;
  struct stat info;
  if (fstat(fileno(in), &info) == 0 && S_ISREG(info.st_mode)) {
    bytes.reserve(bytes.size() + static_cast<std::size_t>(info.st_size) + 1);
  }
  for (;;) {
    const std::size_t used = bytes.size();
    bytes.resize(std::max(used + kChunk, bytes.capacity()));
    const std::size_t room = bytes.size() - used;
    const std::size_t got = std::fread(bytes.data() + used, 1, room, in);
    bytes.resize(used + got);
    if (got < room) return !std::ferror(in);
  }
}

}  // namespace aspclip
