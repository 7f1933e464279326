#include <windows.h>

#include <algorithm>
#include <array>
#include <string_view>

#include "base/characters.h"
#include "paths.h"
#include "text/windows_error.h"

namespace aspconv {
namespace {

constexpr std::wstring_view kLongForm = L"\\\\?\\", kDeviceForm = L"\\\\.\\";
// The most UTF-16 units a name may have in a folder.
constexpr std::size_t kLongestName = 255;

// A name as Windows' file systems compare names: upper-cased as the invariant locale does it,
// every letter of Unicode included.
std::wstring InvariantUpperCase(const std::wstring& text) {
  std::wstring upper(text.size(), L'\0');
  const int length = static_cast<int>(text.size());
  if (LCMapStringEx(LOCALE_NAME_INVARIANT, LCMAP_UPPERCASE, text.data(), length, upper.data(),
                    length, nullptr, nullptr, 0) != length) {
    return text;
  }
  return upper;
}

bool IsSeparator(wchar_t c) {
  return c == L'\\' || c == L'/';
}

// The path made absolute as the system does it: a root-relative path (\site) on the current
// drive, a drive-relative one (C:page.asp) in that drive's own current folder, "." and ".."
// taken out, separators made backslashes, and trailing dots and spaces taken off the last name.
std::wstring FullPath(const std::wstring& path) {
  std::wstring full(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length =
        GetFullPathNameW(path.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
    if (length == 0) return path;
    if (length < full.size()) {
      full.resize(length);
      return full;
    }
    full.resize(length);
  }
}

// A name as the system stores it outside the \\?\ form: without trailing dots and spaces.
std::wstring StoredName(std::wstring_view name) {
  while (!name.empty() && (name.back() == L'.' || name.back() == L' '))
    name.remove_suffix(1);
  return std::wstring(name);
}

// Where the last name of a path starts: behind its last separator, or behind a drive's colon.
std::size_t LastNameStart(const std::wstring& path) {
  const std::size_t separator = path.find_last_of(L"\\/");
  if (separator != std::wstring::npos) return separator + 1;
  return path.size() >= 2 && path[1] == L':' ? 2 : 0;
}

// How long the root of a path in the \\?\ form is: \\?\C:\ or \\?\UNC\server\share\.
std::size_t RootLength(const std::wstring& path) {
  constexpr std::wstring_view kUnc = L"\\\\?\\UNC\\";
  if (!path.starts_with(kUnc)) return std::min(path.size(), kLongForm.size() + 3);
  const std::size_t server = path.find(L'\\', kUnc.size());
  const std::size_t share = server == std::wstring::npos ? server : path.find(L'\\', server + 1);
  return share == std::wstring::npos ? path.size() : share + 1;
}

// A file stands where a folder of `named` should be, `above` names up from its end.
aspclip::Status NotAFolder(fs::path named, std::ptrdiff_t above) {
  for (; above > 0 && named.has_parent_path(); --above)
    named = named.parent_path();
  return aspclip::Status::Failed(Utf8(named) + " is not a folder");
}

// The folder a full path names keeps no separator at its end, but for a drive's root.
std::wstring WithoutTrailingSeparator(std::wstring full) {
  while (full.size() > 3 && IsSeparator(full.back()))
    full.pop_back();
  return full;
}

}  // namespace

bool IsSeparator(char c) {
  return c == '\\' || c == '/';
}

fs::path FollowLinks(const fs::path& path) {
  return path;
}

bool IsDeviceName(const fs::path& path) {
  static constexpr std::array<std::wstring_view, 6> kDevices = {L"CON", L"PRN",    L"AUX",
                                                                L"NUL", L"CONIN$", L"CONOUT$"};
  std::wstring name = InvariantUpperCase(path.native());
  if (name.ends_with(L':')) name.pop_back();
  const bool numbered = name.size() == 4 &&
                        (name.starts_with(L"COM") || name.starts_with(L"LPT")) && name[3] >= L'1' &&
                        name[3] <= L'9';
  return numbered || std::find(kDevices.begin(), kDevices.end(), name) != kDevices.end();
}

// The folder is resolved by the system, the last name by hand: the system would turn a file named
// like a device with an extension (con.asp) into the device, which only a name without one is.
fs::path SystemPath(const fs::path& path) {
  const std::wstring& native = path.native();
  if (path.empty() || native.starts_with(kLongForm)) return path;
  if (native.starts_with(kDeviceForm)) {  // \\.\NUL is the device, \\.\C:\page.asp a file
    const std::wstring rest = native.substr(kDeviceForm.size());
    return IsDeviceName(rest) ? rest : std::wstring(kLongForm) + rest;
  }
  const std::size_t nameStart = LastNameStart(native);
  const std::wstring name = StoredName(std::wstring_view(native).substr(nameStart));
  if (IsDeviceName(name)) return name;
  std::wstring full;
  if (name.empty()) {  // a folder with a separator behind it, ".", "..", or a drive alone
    full = WithoutTrailingSeparator(FullPath(native));
  } else {
    const std::wstring folder = WithoutTrailingSeparator(
        FullPath(nameStart == 0 ? std::wstring(L".") : native.substr(0, nameStart)));
    full = folder + (IsSeparator(folder.back()) ? L"" : L"\\") + name;
  }
  if (full.starts_with(L"\\\\")) return std::wstring(kLongForm) + L"UNC\\" + full.substr(2);
  return std::wstring(kLongForm) + full;
}

namespace {

// What tells a file from every other, whatever name reaches it (a short name, another drive
// letter for its folder, a junction, a hard link): its volume and its index on that volume.
struct FileIdentity {
  DWORD volume = 0, indexHigh = 0, indexLow = 0;
  bool operator==(const FileIdentity&) const = default;
};

bool IdentityOf(const fs::path& path, FileIdentity& identity) {
  if (IsDeviceName(path)) return false;
  HANDLE file = CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES,
                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  BY_HANDLE_FILE_INFORMATION information;
  const bool known = GetFileInformationByHandle(file, &information) != 0;
  CloseHandle(file);
  if (known) {
    identity = {information.dwVolumeSerialNumber, information.nFileIndexHigh,
                information.nFileIndexLow};
  }
  return known;
}

}  // namespace

fs::path SameFileKey(const fs::path& path) {
  return InvariantUpperCase(SystemPath(path).native());
}

aspclip::Status UsableName(const fs::path& path) {
  const std::wstring& native = path.native();
  const bool prefixed = native.starts_with(kLongForm) || native.starts_with(kDeviceForm);
  const std::size_t start = prefixed ? kLongForm.size() : 0;
  const std::size_t colon = native.find(L':', start);
  const bool drive = colon == start + 1 || (IsDeviceName(native) && colon == native.size() - 1);
  if (colon != std::wstring::npos && !(drive && native.find(L':', colon + 1) == std::wstring::npos))
    return aspclip::Status::Failed("names with ':' are not supported");
  for (const fs::path& name : path) {
    if (name.native().size() > kLongestName) return aspclip::Status::Failed("name too long");
  }
  return aspclip::Status::Ok();
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

// Each folder on the way is made in turn from the root, which the runtime's own way cannot start
// from in the \\?\ form.
aspclip::Status MakeFolders(const fs::path& folder, const fs::path& named) {
  const std::wstring& path = folder.native();
  for (std::size_t at = path.find(L'\\', RootLength(path));; at = path.find(L'\\', at + 1)) {
    const std::wstring part = path.substr(0, at);
    if (!CreateDirectoryW(part.c_str(), nullptr)) {
      const DWORD error = GetLastError();
      if (error != ERROR_ALREADY_EXISTS) {
        return aspclip::Status::Failed("cannot make folder " + Utf8(folder) + ": " +
                                       aspclip::WindowsErrorText(error));
      }
      if (!IsFolder(part))
        return NotAFolder(named, std::count(path.begin() + part.size(), path.end(), L'\\'));
    }
    if (at == std::wstring::npos) return aspclip::Status::Ok();
  }
}

std::size_t NameLength(std::string_view utf8) {
  return aspclip::Utf16Length(utf8);
}

bool IsFolder(const fs::path& path) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool Exists(const fs::path& path) {
  return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool SameFile(const fs::path& a, const fs::path& b) {
  FileIdentity first, second;
  return IdentityOf(a, first) && IdentityOf(b, second) && first == second;
}

}  // namespace aspconv
