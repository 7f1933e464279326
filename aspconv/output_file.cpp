#include "output_file.h"

#include <unistd.h>  // write and close: MinGW's too

#include <algorithm>
#include <string>

#include "base/characters.h"
#include "files.h"
#include "plan.h"
#include "temporaries.h"

namespace aspconv {
namespace {

using aspclip::CannotWriteOutput;
using aspclip::Status;

// How many names the temporary tries before it gives up: another run of this process's ID may
// have left some behind.
constexpr int kTemporaryNames = 100;
// A temporary may be this long whatever its target's name: any file system takes such a name.
constexpr std::size_t kShortestAllowance = 32;

// The temporary's name: the target's, shortened where it must be so that the temporary's is no
// longer than the target's as the file system counts a name, with its own ending. A name that fits
// where the target's does.
std::string TemporaryName(const std::string& target, int attempt) {
  // Appended piece by piece: GCC 12 takes operator+ here for an overlapping copy (its bug 105329).
  std::string ending = ".";
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

}  // namespace

ReplacingFile::~ReplacingFile() {
  if (fd_ >= 0) close(fd_);
  if (temporary_.empty()) return;
  WithTemporary(temporary_, Temporary::kForgotten, [&] {
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
    WithTemporary(temporary_, Temporary::kKnown, [&] {
      fd_ = CreateNew(temporary_);
      error = errno;
    });
    if (fd_ < 0) WithTemporary(temporary_, Temporary::kForgotten, [] {});
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
  WithTemporary(temporary_, Temporary::kForgotten, [&] { fs::rename(temporary_, target_, error); });
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
