// What tells that a regular file changed while it was read: its size and modification time, as
// finely as the system keeps the time.
#pragma once

#include <sys/stat.h>

namespace aspclip {

struct FileStamp {
  long long size, seconds, nanoseconds;
  bool operator==(const FileStamp&) const = default;
};

FileStamp StampOf(const struct stat& info);

}  // namespace aspclip
