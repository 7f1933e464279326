// Writing a file so that a failure never leaves half of it: it is written under a temporary name
// beside the target and renamed into place once it is whole; an unfinished temporary is removed.
#pragma once

#include <filesystem>
#include <string_view>

#include "base/status.h"

namespace aspconv {

class ReplacingFile {
 public:
  ReplacingFile() = default;
  ~ReplacingFile();
  ReplacingFile(const ReplacingFile&) = delete;
  ReplacingFile& operator=(const ReplacingFile&) = delete;

  // Creates the temporary for `target`, whose folder must exist. When the target is known to be
  // new, the look for a file to take the permissions of is saved.
  aspclip::Status Open(const std::filesystem::path& target, bool targetExists = true);
  // The temporary's descriptor, once open.
  int fd() const { return fd_; }
  // Closes the temporary and puts it in the target's place.
  aspclip::Status Commit();

 private:
  std::filesystem::path target_, temporary_;
  int fd_ = -1;
};

// Writes all of `bytes` to the descriptor.
aspclip::Status WriteAll(int fd, std::string_view bytes);

}  // namespace aspconv
