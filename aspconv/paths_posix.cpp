#include "paths.h"

namespace aspconv {

bool IsSeparator(char c) {
  return c == '/';
}

fs::path FollowLinks(const fs::path& path) {
  std::error_code error;
  if (!fs::is_symlink(fs::symlink_status(path, error))) return path;
  const fs::path target = fs::canonical(path, error);
  return error ? path : target;
}

bool IsDeviceName(const fs::path&) {
  return false;
}

fs::path SystemPath(const fs::path& path) {
  return path;
}

fs::path SameFileKey(const fs::path& path) {
  return path;
}

aspclip::Status UsableName(const fs::path&) {
  return aspclip::Status::Ok();
}

// The listing tells most entries' types itself; only a link, or an entry of a type it does not
// tell, costs a look at the file.
aspclip::Status ListFolder(const fs::path& folder, std::vector<FolderEntry>& entries) {
  std::error_code error;
  fs::directory_iterator entry(folder, error), end;
  for (; !error && entry != end; entry.increment(error)) {
    std::error_code failed, ignored;
    const bool link = entry->is_symlink(ignored);
    EntryKind kind = EntryKind::kOther;
    if (!link && entry->is_directory(ignored)) {
      kind = EntryKind::kFolder;
    } else if (!link && entry->is_regular_file(ignored)) {
      kind = EntryKind::kRegularFile;
    } else if (const fs::file_status status = entry->status(failed); fs::is_regular_file(status)) {
      kind = EntryKind::kRegularFile;
    } else if (!fs::is_directory(status) && failed &&
               failed != std::errc::no_such_file_or_directory) {
      kind = EntryKind::kUnreadable;
    }
    entries.push_back({entry->path().filename(), kind, failed ? failed.message() : ""});
  }
  if (error) return aspclip::Status::Failed(error.message());
  return aspclip::Status::Ok();
}

// A file on the way is left for opening the file there to tell of.
aspclip::Status MakeFolders(const fs::path& folder, const fs::path&) {
  std::error_code error;
  fs::create_directories(folder, error);
  if (!error || error == std::errc::file_exists || error == std::errc::not_a_directory)
    return aspclip::Status::Ok();
  return aspclip::Status::Failed("cannot make folder " + Utf8(folder) + ": " + error.message());
}

std::size_t NameLength(std::string_view utf8) {
  return utf8.size();
}

bool IsFolder(const fs::path& path) {
  std::error_code ignored;
  return fs::is_directory(path, ignored);
}

bool Exists(const fs::path& path) {
  std::error_code ignored;
  return fs::exists(path, ignored);
}

bool SameFile(const fs::path& a, const fs::path& b) {
  std::error_code ignored;
  return fs::equivalent(a, b, ignored);
}

}  // namespace aspconv
