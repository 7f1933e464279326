// aspclip on Windows: a GUI program with no window of its own beyond its message box. With no
// console to print to, an argument is answered in the box.
#include <windows.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "app/aspclip_arguments.h"
#include "app/clipboard_run.h"
#include "app/text_encoding.h"
#include "win32_platform.h"

namespace {

std::vector<std::string> Arguments() {
  std::vector<std::string> arguments;
  for (int i = 1; i < __argc; ++i) {
    const std::wstring argument = __wargv[i];
    arguments.push_back(aspclip::Wtf8FromUtf16(std::u16string(argument.begin(), argument.end())));
  }
  return arguments;
}

int AnswerArguments(const aspclip::CommandLine& line, aspclip::Win32Platform& platform) {
  switch (line.request) {
    case aspclip::Request::kHelp:
      platform.ShowMessage(aspclip::UsageText());
      return aspclip::kExitSuccess;
    case aspclip::Request::kVersion:
      platform.ShowMessage(aspclip::VersionText());
      return aspclip::kExitSuccess;
    default:
      platform.ShowFailure(aspclip::UnknownArgumentText(line.unknown));
      return aspclip::kExitUsage;
  }
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  aspclip::Win32Platform platform;
  const aspclip::CommandLine line = aspclip::ReadCommandLine(Arguments(), true);
  if (line.request != aspclip::Request::kConvert) return AnswerArguments(line, platform);
  return aspclip::ConvertClipboard(platform);
}
