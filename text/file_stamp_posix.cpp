#include "file_stamp.h"

namespace aspclip {

FileStamp StampOf(const struct stat& info) {
  return {static_cast<long long>(info.st_size), static_cast<long long>(info.st_mtim.tv_sec),
          static_cast<long long>(info.st_mtim.tv_nsec)};
}

}  // namespace aspclip
