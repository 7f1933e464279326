// The calls on files and the process that differ between the platforms, as aspconv makes them.
#pragma once

#include <filesystem>

#include "base/status.h"

namespace aspconv {

// A file that is there, opened to read (O_RDONLY) or to write (O_WRONLY), in binary.
int OpenExisting(const std::filesystem::path& path, int access);

// A new file that nobody else can have opened: it did not exist.
int CreateNew(const std::filesystem::path& path);

int ProcessId();

// Gives the file open on `fd`, which is to replace `target`, the permission bits of `target`, as
// editors that save by rename do: a read-only file stays read-only. Windows keeps no such bits.
aspclip::Status KeepMode(const std::filesystem::path& target, int fd);

}  // namespace aspconv
