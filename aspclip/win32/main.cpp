// aspclip on Windows: a GUI program with no window of its own beyond its message box. With no
// console to print to, an argument is answered in the box.
#include <windows.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "aspclip/arguments.h"
#include "aspclip/clipboard_run.h"
#include "aspclip/run_lock.h"
#include "text/wide_strings.h"
#include "win32_platform.h"

namespace {

std::vector<std::string> Arguments() {
  std::vector<std::string> arguments;
  for (int i = 1; i < __argc; ++i)
    arguments.push_back(aspclip::Wtf8FromWide(__wargv[i]));
  return arguments;
}

int AnswerArguments(const aspclip::CommandLine& line, aspclip::Win32Platform& platform) {
  switch (line.request) {
    case aspclip::Request::kHelp:
    case aspclip::Request::kVersion: {
      const std::string text = line.request == aspclip::Request::kHelp ? aspclip::BoxUsageText()
                                                                       : aspclip::VersionText();
      // A box that cannot show has no other way to tell of it than the exit code.
      return platform.ShowMessage(text).ok() ? aspclip::kExitSuccess : aspclip::kExitFailure;
    }
    default:
      platform.ShowFailure(aspclip::UnknownArgumentText(line.unknown, "/?"));
      return aspclip::kExitUsage;
  }
}

// The box of the run under way, as that run published it; while it converts it has none yet, and
// shows it soon.
void RaiseBox(std::uintptr_t published) {
  const auto box = reinterpret_cast<HWND>(published);
  if (box != nullptr && IsWindow(box)) SetForegroundWindow(box);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  aspclip::Win32Platform platform;
  const aspclip::CommandLine line =
      aspclip::ReadCommandLine(Arguments(), aspclip::HelpArguments::kGnuAndWindows);
  if (line.request != aspclip::Request::kConvert) return AnswerArguments(line, platform);
  aspclip::RunLock lock("session");
  if (!lock.TryTake()) {
    RaiseBox(lock.PublishedBox());
    return aspclip::kExitSuccess;
  }
  platform.OnBoxShown(
      [&lock](HWND box) { lock.PublishBox(reinterpret_cast<std::uintptr_t>(box)); });
  return aspclip::ConvertClipboard(platform);
}
