#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include "standard_streams.h"

namespace aspclip {

bool ReopenIfClosed(int fd) {
  if (fcntl(fd, F_GETFD) != -1 || errno != EBADF) return false;
  // The lowest free number is taken, which is this one: those below it are open.
  const int null = open("/dev/null", fd == STDIN_FILENO ? O_RDONLY : O_WRONLY);
  if (null != fd && null >= 0) close(null);
  return true;
}

}  // namespace aspclip
