// Paths as aspconv meets them: named by the user, said in messages, and handed to the system.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "base/status.h"

namespace aspconv {

namespace fs = std::filesystem;

// Paths are carried as UTF-8 in messages and options, whatever the system's own form.
std::string Utf8(const fs::path& path);
fs::path PathOf(const std::string& utf8);

// The path to hand to the system for a file. On Windows: resolved as the system resolves it
// (root-relative and drive-relative paths, trailing dots and spaces), in the \\?\ form that
// reaches a file named like a device with an extension (con.asp, nul.inc) and a path longer than
// 260 characters; a last name that is a device's alone (NUL, sub\nul) is the device, and a path
// in the \\?\ or \\.\ form is taken as it is. Elsewhere the path itself.
fs::path SystemPath(const fs::path& path);

// Whether the system can store a file under this name: on Windows a colon past a drive's would
// name a stream of another file, and no name in a path may pass 255 units.
aspclip::Status UsableName(const fs::path& path);

// Whether `c` separates names in a path as the user writes it: the slash, and on Windows the
// backslash too.
bool IsSeparator(char c);

// A link followed to the file it names, which is replaced in its own folder: the link stays, and
// /dev/stdout names the file that standard output goes to. Windows paths here are in the \\?\ form
// already, which the system's resolving would only give back in another: they stay.
fs::path FollowLinks(const fs::path& path);

// Whether the path is a device named alone, as NUL and CON are on Windows; never elsewhere.
bool IsDeviceName(const fs::path& path);

// What a folder's entry is. A link to a folder is no folder: a walk that followed it could go round
// in a circle.
enum class EntryKind { kFolder, kRegularFile, kOther, kUnreadable };
struct FolderEntry {
  fs::path name;
  EntryKind kind;
  std::string error;  // why it cannot be read
};

// The entries of `folder`, a system path; fails with the system's reason. On Windows through the
// system's own listing, which, unlike the runtime's, reaches long paths.
aspclip::Status ListFolder(const fs::path& folder, std::vector<FolderEntry>& entries);

// Makes `folder`, a system path, and the folders above it that are not there yet; fails with the
// system's reason. Where a name on the way is a file, on Windows that name is said as the user
// gave it in `named`; elsewhere opening a file there says so.
aspclip::Status MakeFolders(const fs::path& folder, const fs::path& named);

// How long the file system counts a name given in UTF-8: in bytes, or on Windows in UTF-16 units.
std::size_t NameLength(std::string_view utf8);

// Whether the system path names a folder, following links.
bool IsFolder(const fs::path& path);
// Whether the system path names something that is there.
bool Exists(const fs::path& path);
// Whether two system paths name one file, by the file system's own identity of it (device and
// inode; volume and file index), whatever names reach it.
bool SameFile(const fs::path& a, const fs::path& b);

// What two names that the file system takes for one file have in common: the path itself, or on
// Windows, which compares names without regard to case, the path in upper case.
fs::path SameFileKey(const fs::path& path);

}  // namespace aspconv
