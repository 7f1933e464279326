#include "file_stamp.h"

namespace aspclip {

// The runtime keeps a modification time in whole seconds.
FileStamp StampOf(const struct stat& info) {
  return {static_cast<long long>(info.st_size), static_cast<long long>(info.st_mtime), 0};
}

}  // namespace aspclip
