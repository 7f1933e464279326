#include <windows.h>

#include <algorithm>
#include <set>
#include <string_view>

#include "text/wide_strings.h"
#include "wildcards.h"

namespace aspconv {
namespace {

bool IsBlank(wchar_t c) {
  return c == L' ' || c == L'\t';
}

bool IsWildcard(wchar_t c) {
  return c == L'*' || c == L'?';
}

// The arguments of the command line, split as the runtime splits them, that hold a wildcard
// outside quotes: "*.asp" is a name, *.asp a pattern.
std::set<std::wstring> ArgumentsWithOpenWildcards(std::wstring_view line) {
  std::size_t i = 0;
  if (i < line.size() && line[i] == L'"') {  // the program's name: no escapes
    i = line.find(L'"', 1);
    i = i == std::wstring_view::npos ? line.size() : i + 1;
  }
  while (i < line.size() && !IsBlank(line[i]))
    ++i;
  std::set<std::wstring> open;
  while (i < line.size()) {
    while (i < line.size() && IsBlank(line[i]))
      ++i;
    if (i == line.size()) break;
    std::wstring argument;
    bool quoted = false, wildcard = false;
    for (; i < line.size() && (quoted || !IsBlank(line[i])); ++i) {
      std::size_t backslashes = 0;
      while (i < line.size() && line[i] == L'\\') {
        ++backslashes;
        ++i;
      }
      if (i < line.size() && line[i] == L'"') {
        argument.append(backslashes / 2, L'\\');
        if (backslashes % 2 == 1) {
          argument += L'"';
        } else if (quoted && i + 1 < line.size() && line[i + 1] == L'"') {
          argument += L'"';
          ++i;
        } else {
          quoted = !quoted;
        }
        continue;
      }
      argument.append(backslashes, L'\\');
      if (i == line.size() || (!quoted && IsBlank(line[i]))) break;
      argument += line[i];
      wildcard = wildcard || (!quoted && IsWildcard(line[i]));
    }
    if (wildcard) open.insert(argument);
  }
  return open;
}

// The names `pattern` matches, each with the pattern's folder in front, in the order of names.
std::vector<std::string> Matches(const std::wstring& pattern) {
  const std::size_t folderEnd = pattern.find_last_of(L"\\/:");
  const std::wstring folder =
      folderEnd == std::wstring::npos ? L"" : pattern.substr(0, folderEnd + 1);
  std::vector<std::string> matches;
  WIN32_FIND_DATAW found;
  HANDLE search =
      FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &found, FindExSearchNameMatch, nullptr, 0);
  if (search == INVALID_HANDLE_VALUE) return matches;
  do {
    const std::wstring_view name = found.cFileName;
    if (name != L"." && name != L"..")
      matches.push_back(aspclip::Wtf8FromWide(folder + found.cFileName));
  } while (FindNextFileW(search, &found));
  FindClose(search);
  std::sort(matches.begin(), matches.end());
  return matches;
}

}  // namespace

std::vector<std::string> ExpandWildcards(const std::vector<std::string>& operands,
                                         std::vector<aspclip::Status>& refused) {
  static const std::set<std::wstring> open = ArgumentsWithOpenWildcards(GetCommandLineW());
  std::vector<std::string> expanded;
  for (const std::string& operand : operands) {
    const std::wstring wide = aspclip::WideFromWtf8(operand);
    if (!open.contains(wide)) {
      expanded.push_back(operand);
      continue;
    }
    const std::vector<std::string> matches = Matches(wide);
    if (matches.empty()) refused.push_back(aspclip::Status::Failed("no file matches " + operand));
    expanded.insert(expanded.end(), matches.begin(), matches.end());
  }
  return expanded;
}

}  // namespace aspconv
