#include "output_file.h"

#include <fcntl.h>

#include <sys/stat.h>

#include <algorithm>
#include <string>

#include "base/characters.h"
#include "plan.h"
#include "temporaries.h"

#ifdef _WIN32
#include <io.h>
#include <process.h>
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
// A temporary may be this long whatever its target's name: any file system takes such a name.
constexpr std::size_t kShortestAllowance = 32;

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

// The temporary's name: the target's, shortened where it must be so that the temporary's is no
// longer than the target's as the file system counts a name, with its own ending. A name that fits
// where the target's does.
std::string TemporaryName(const std::string& target, int attempt) {
  std::string ending = ".";  // appended piece by piece: GCC 12 warns wrongly about operator+
  ending.append(std::to_string(ProcessId())).append("-").append(std::to_string(attempt));
  ending.append(".tmp");
  const std::size_t room = std::max(NameLength(target), kShortestAllowance) - 1 - ending.size();
  std::size_t kept = target.size();
  while (kept > 0 && NameLength(std::string_view(target).substr(0, kept)) > room) {
    do {
      --kept;
    } while (kept > 0 && aspclip::IsContinuationByte(target[kept]));
  }
  std::string name = ".";
  return name.append(target, 0, kept).append(ending);
}

// The replacement keeps the permission bits of the file it replaces, as editors that save by
// rename do: a read-only file stays read-only.
Status KeepMode([[maybe_unused]] const fs::path& target, [[maybe_unused]] int fd) {
#ifndef _WIN32
  struct stat info;
  if (stat(target.c_str(), &info) == 0 && fchmod(fd, info.st_mode & 07777) != 0) {
    return CannotWriteOutput();
  }
#endif
  return Status::Ok();
}

}  // namespace

ReplacingFile::~ReplacingFile() {
  if (fd_ >= 0) close(fd_);
  if (temporary_.empty()) return;
  WithTemporary(temporary_, false, [&] {
    std::error_code ignored;
    fs::remove(temporary_, ignored);
  });
}

Status ReplacingFile::Open(const fs::path& target, bool targetExists) {
  target_ = target;
  const std::string name = Utf8(target.filename());
  int error = 0;
  for (int attempt = 0; fd_ < 0 && attempt < kTemporaryNames; ++attempt) {
    temporary_ = target.parent_path() / PathOf(TemporaryName(name, attempt));
    WithTemporary(temporary_, true, [&] {
      fd_ = CreateNew(temporary_);
      error = errno;
    });
    if (fd_ < 0) WithTemporary(temporary_, false, [] {});
    if (fd_ < 0 && error != EEXIST) break;
  }
  if (fd_ >= 0) return targetExists ? KeepMode(target, fd_) : Status::Ok();
  temporary_.clear();
  return CannotWriteOutput(error);
}

Status ReplacingFile::Commit() {
  const bool closed = close(fd_) == 0;
  fd_ = -1;
  if (!closed) return CannotWriteOutput();
  std::error_code error;
  WithTemporary(temporary_, false, [&] { fs::rename(temporary_, target_, error); });
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
