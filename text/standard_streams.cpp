#include "standard_streams.h"

#include <initializer_list>

#if !defined(_WIN32)
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#endif

namespace aspclip {

void KeepStandardStreamsOpen() {
#if !defined(_WIN32)
  for (const int fd : {STDIN_FILENO, STDOUT_FILENO, STDERR_FILENO}) {
    if (fcntl(fd, F_GETFD) != -1 || errno != EBADF) continue;
    // The lowest free number is taken, which is this one: those below it are open.
    const int null = open("/dev/null", fd == STDIN_FILENO ? O_RDONLY : O_WRONLY);
    if (null != fd && null >= 0) close(null);
  }
#endif
}

}  // namespace aspclip
