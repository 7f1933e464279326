#include "output_file.h"

#include <fcntl.h>

#include <string>

#include "plan.h"

#ifdef _WIN32
#include <io.h>
#include <process.h>
#include <sys/stat.h>
#else
#include <unistd.h>
#endif

namespace aspconv {
namespace {

using aspclip::CannotWriteOutput;
using aspclip::Status;

// How many names the temporary tries before it gives up: another run of this process's ID may
// have left some behind.
constexpr int kTemporaryNames = 100;

// A new file that nobody else can have opened: it did not exist.
int CreateNew(const fs::path& path) {
#ifdef _WIN32
  return _wopen(path.c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY, _S_IREAD | _S_IWRITE);
#else
  return open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
#endif
}

int ProcessId() {
#ifdef _WIN32
  static const int id = _getpid();
#else
  static const int id = getpid();
#endif
  return id;
}

}  // namespace

ReplacingFile::~ReplacingFile() {
  if (fd_ >= 0) close(fd_);
  std::error_code ignored;
  if (!temporary_.empty()) fs::remove(temporary_, ignored);
}

Status ReplacingFile::Open(const fs::path& target) {
  target_ = target;
  for (int attempt = 0; fd_ < 0 && attempt < kTemporaryNames; ++attempt) {
    std::string name = ".";  // appended piece by piece: GCC 12 warns wrongly about operator+
    name.append(Utf8(target.filename())).append(".").append(std::to_string(ProcessId()));
    name.append("-").append(std::to_string(attempt)).append(".tmp");
    temporary_ = target.parent_path() / PathOf(name);
    fd_ = CreateNew(temporary_);
    if (fd_ < 0 && errno != EEXIST) break;
  }
  if (fd_ >= 0) return Status::Ok();
  const int error = errno;
  temporary_.clear();
  return CannotWriteOutput(error);
}

Status ReplacingFile::Commit() {
  const bool closed = close(fd_) == 0;
  fd_ = -1;
  if (!closed) return CannotWriteOutput();
  std::error_code error;
  fs::rename(temporary_, target_, error);
  if (error) return CannotWriteOutput(error.value());
  temporary_.clear();
  return Status::Ok();
}

Status WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const auto written = write(fd, bytes.data(), static_cast<unsigned>(bytes.size()));
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return CannotWriteOutput();
    bytes.remove_prefix(static_cast<std::size_t>(written));
  }
  return Status::Ok();
}

}  // namespace aspconv
