#include "standard_streams.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace aspclip {
namespace {

constexpr int kStandardStreams = 3;
bool closedAtStart[kStandardStreams] = {};

}  // namespace

void KeepStandardStreamsOpen() {
  // In order: the lowest free number is what a reopening takes, so those below must be open.
  for (int fd = 0; fd < kStandardStreams; ++fd)
    closedAtStart[fd] = ReopenIfClosed(fd);
}

bool ClosedAtStart(int fd) {
  return fd >= 0 && fd < kStandardStreams && closedAtStart[fd];
}

bool StandardOutputWritten(const char* program) {
  if (std::fflush(stdout) == 0 && !std::ferror(stdout)) return true;
  std::fprintf(stderr, "%s: write error: %s\n", program, std::strerror(errno));
  return false;
}

}  // namespace aspclip
