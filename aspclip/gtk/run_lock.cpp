#include "run_lock.h"

#include <fcntl.h>
#include <glib.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <string>

namespace aspclip {
namespace {

// In the user's runtime folder, or the temporary one with the user's number in the name.
std::string LockPath(std::string display) {
  for (char& c : display) {
    if (c == '/') c = '_';
  }
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  if (runtime != nullptr && *runtime != '\0') {
    return std::string(runtime) + "/aspclip-" + display + ".lock";
  }
  return std::string(g_get_tmp_dir()) + "/aspclip-" + std::to_string(getuid()) + "-" + display +
         ".lock";
}

}  // namespace

RunLock::RunLock(const std::string& displayName)
    : fd_(open(LockPath(displayName).c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600)) {}

RunLock::~RunLock() {
  Release();
}

bool RunLock::TryTake() {
  if (fd_ < 0) return true;
  if (flock(fd_, LOCK_EX | LOCK_NB) != 0) return errno != EWOULDBLOCK;
  // An earlier run's box is gone; a window left named would only go unraised.
  [[maybe_unused]] const int cleared = ftruncate(fd_, 0);
  return true;
}

void RunLock::PublishBox(unsigned long window) {
  if (fd_ < 0) return;
  // A window that cannot be written is only not raised by a second start.
  const std::string text = std::to_string(window);
  [[maybe_unused]] const auto written = pwrite(fd_, text.data(), text.size(), 0);
}

unsigned long RunLock::PublishedBox() const {
  char text[32] = {};
  if (fd_ < 0 || pread(fd_, text, sizeof text - 1, 0) <= 0) return 0;
  return std::strtoul(text, nullptr, 10);
}

void RunLock::Release() {
  if (fd_ < 0) return;
  flock(fd_, LOCK_UN);
  close(fd_);
  fd_ = -1;
}

}  // namespace aspclip
