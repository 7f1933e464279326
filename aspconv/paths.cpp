#include "paths.h"

#ifdef _WIN32
#include <windows.h>

#include "text/windows_error.h"

#include <algorithm>
#include <array>
#include <string_view>
#endif

namespace aspconv {

std::string Utf8(const fs::path& path) {
  const std::u8string name = path.u8string();
  return std::string(name.begin(), name.end());
}

fs::path PathOf(const std::string& utf8) {
  return fs::path(std::u8string(utf8.begin(), utf8.end()));
}

#ifdef _WIN32
namespace {

std::wstring UpperCase(const std::wstring& text) {
  std::wstring upper(text.size(), L'\0');
  const int length = static_cast<int>(text.size());
  if (LCMapStringEx(LOCALE_NAME_INVARIANT, LCMAP_UPPERCASE, text.data(), length, upper.data(),
                    length, nullptr, nullptr, 0) != length) {
    return text;
  }
  return upper;
}

std::wstring CurrentFolder() {
  std::wstring folder(GetCurrentDirectoryW(0, nullptr), L'\0');
  folder.resize(GetCurrentDirectoryW(static_cast<DWORD>(folder.size()), folder.data()));
  return folder;
}

}  // namespace

bool IsDeviceName(const fs::path& path) {
  static constexpr std::array<std::wstring_view, 6> kDevices = {L"CON", L"PRN",    L"AUX",
                                                                L"NUL", L"CONIN$", L"CONOUT$"};
  std::wstring name = UpperCase(path.native());
  if (name.ends_with(L':')) name.pop_back();
  const bool numbered = name.size() == 4 &&
                        (name.starts_with(L"COM") || name.starts_with(L"LPT")) && name[3] >= L'1' &&
                        name[3] <= L'9';
  return numbered || std::find(kDevices.begin(), kDevices.end(), name) != kDevices.end();
}

// Made absolute by hand: the system's own way (GetFullPathName) turns a file named like a device
// into the device.
fs::path SystemPath(const fs::path& path) {
  const std::wstring& native = path.native();
  if (path.empty() || IsDeviceName(path) || native.starts_with(L"\\\\?\\")) return path;
  fs::path absolute = path.has_root_name() && path.has_root_directory()
                          ? path
                          : fs::path(CurrentFolder()) / path.relative_path();
  std::wstring full = absolute.lexically_normal().make_preferred().native();
  if (full.starts_with(L"\\\\")) return L"\\\\?\\UNC\\" + full.substr(2);
  return L"\\\\?\\" + full;
}

fs::path SameFileKey(const fs::path& path) {
  return UpperCase(SystemPath(path).native());
}

aspclip::Status ListFolder(const fs::path& folder, std::vector<FolderEntry>& entries) {
  WIN32_FIND_DATAW found;
  const std::wstring pattern = folder.native() + L"\\*";
  HANDLE search =
      FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &found, FindExSearchNameMatch, nullptr, 0);
  if (search == INVALID_HANDLE_VALUE)
    return aspclip::Status::Failed(aspclip::WindowsErrorText(GetLastError()));
  do {
    const std::wstring_view name = found.cFileName;
    if (name == L"." || name == L"..") continue;
    const DWORD attributes = found.dwFileAttributes;
    const bool link = (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
    EntryKind kind = EntryKind::kRegularFile;
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) kind = link ? EntryKind::kOther : EntryKind::kFolder;
    if (attributes & FILE_ATTRIBUTE_DEVICE) kind = EntryKind::kOther;
    entries.push_back({fs::path(std::wstring(name)), kind, {}});
  } while (FindNextFileW(search, &found));
  const DWORD error = GetLastError();
  FindClose(search);
  if (error != ERROR_NO_MORE_FILES)
    return aspclip::Status::Failed(aspclip::WindowsErrorText(error));
  return aspclip::Status::Ok();
}

bool IsFolder(const fs::path& path) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool Exists(const fs::path& path) {
  return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool SameFile(const fs::path& a, const fs::path& b) {
  return Exists(a) && Exists(b) && SameFileKey(a) == SameFileKey(b);
}
#else
bool IsDeviceName(const fs::path&) {
  return false;
}

fs::path SystemPath(const fs::path& path) {
  return path;
}

fs::path SameFileKey(const fs::path& path) {
  return path;
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
#endif

}  // namespace aspconv
