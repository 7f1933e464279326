#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "files.h"

namespace aspconv {

int OpenExisting(const std::filesystem::path& path, int access) {
  return open(path.c_str(), access | O_CLOEXEC);
}

int CreateNew(const std::filesystem::path& path) {
  return open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
}

int ProcessId() {
  static const int id = getpid();
  return id;
}

aspclip::Status KeepMode(const std::filesystem::path& target, int fd) {
  struct stat info;
  if (stat(target.c_str(), &info) == 0 && fchmod(fd, info.st_mode & 07777) != 0) {
    return aspclip::CannotWriteOutput();
  }
  return aspclip::Status::Ok();
}

}  // namespace aspconv
