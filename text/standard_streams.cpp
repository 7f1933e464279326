#include "standard_streams.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <initializer_list>

#if !defined(_WIN32)
#include <fcntl.h>
#include <unistd.h>
#endif

namespace aspclip {
namespace {

bool closedAtStart[3] = {};

}  // namespace

void KeepStandardStreamsOpen() {
#if !defined(_WIN32)
  for (const int fd : {STDIN_FILENO, STDOUT_FILENO, STDERR_FILENO}) {
    if (fcntl(fd, F_GETFD) != -1 || errno != EBADF) continue;
    closedAtStart[fd] = true;
    // The lowest free number is taken, which is this one: those below it are open.
    const int null = open("/dev/null", fd == STDIN_FILENO ? O_RDONLY : O_WRONLY);
    if (null != fd && null >= 0) close(null);
  }
#endif
}

bool ClosedAtStart(int fd) {
  return fd >= 0 && fd < 3 && closedAtStart[fd];
}

bool StandardOutputWritten(const char* program) {
  if (std::fflush(stdout) == 0 && !std::ferror(stdout)) return true;
  std::fprintf(stderr, "%s: write error: %s\n", program, std::strerror(errno));
  return false;
}

}  // namespace aspclip
