#include "aspclip/run_lock.h"

#include <fcntl.h>
#include <glib.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <string>

namespace aspclip {
namespace {

// A folder of this user's own, which no other user can have made or write in: its owner and mode
// are checked, and it is no link.
bool IsPrivateFolder(const std::string& folder) {
  struct stat info;
  return lstat(folder.c_str(), &info) == 0 && S_ISDIR(info.st_mode) && info.st_uid == getuid() &&
         (info.st_mode & 077) == 0;
}

// The user's runtime folder, or else a folder of the user's own in the temporary one; empty when
// neither can be had.
std::string LockFolder() {
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  if (runtime != nullptr && *runtime != '\0') return runtime;
  const std::string own = std::string(g_get_tmp_dir()) + "/aspclip-" + std::to_string(getuid());
  if (mkdir(own.c_str(), 0700) != 0 && errno != EEXIST) return {};
  return IsPrivateFolder(own) ? own : std::string();
}

// The lock file, opened without following a link; -1 when there is none of this user's own.
int OpenLock(std::string display) {
  const std::string folder = LockFolder();
  if (folder.empty()) return -1;
  for (char& c : display) {
    if (c == '/') c = '_';
  }
  const std::string path = folder + "/aspclip-" + display + ".lock";
  const int fd = open(path.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
  struct stat info;
  if (fd >= 0 && fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_uid == getuid()) {
    return fd;
  }
  if (fd >= 0) close(fd);
  return -1;
}

}  // namespace

struct RunLock::Held {
  int fd;
};

RunLock::RunLock(const std::string& desktop)
    : held_(std::make_unique<Held>(Held{OpenLock(desktop)})) {}

RunLock::~RunLock() {
  Release();
}

bool RunLock::TryTake() {
  const int fd = held_->fd;
  if (fd < 0) return true;
  if (flock(fd, LOCK_EX | LOCK_NB) != 0) return errno != EWOULDBLOCK;
  // An earlier run's box is gone; a window left named would only go unraised.
  [[maybe_unused]] const int cleared = ftruncate(fd, 0);
  return true;
}

void RunLock::PublishBox(std::uintptr_t box) {
  const int fd = held_->fd;
  if (fd < 0) return;
  // A box that cannot be written is only not raised by a second start.
  const std::string text = std::to_string(box);
  [[maybe_unused]] const auto written = pwrite(fd, text.data(), text.size(), 0);
}

std::uintptr_t RunLock::PublishedBox() const {
  const int fd = held_->fd;
  char text[32] = {};
  if (fd < 0 || pread(fd, text, sizeof text - 1, 0) <= 0) return 0;
  return std::strtoul(text, nullptr, 10);
}

void RunLock::Release() {
  if (held_->fd < 0) return;
  flock(held_->fd, LOCK_UN);
  close(held_->fd);
  held_->fd = -1;
}

}  // namespace aspclip
