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

// One run at a time in the session: a named mutex, which Windows releases when its owner ends,
// however it ends.
class RunLock {
 public:
  RunLock() : mutex_(CreateMutexW(nullptr, FALSE, L"Local\\aspclip-run")) {
    const DWORD waited = mutex_ != nullptr ? WaitForSingleObject(mutex_, 0) : WAIT_FAILED;
    owned_ = waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED;
    // Without a mutex at all the run goes on, as it did before there was one.
    heldElsewhere_ = waited == WAIT_TIMEOUT;
  }
  ~RunLock() { Release(); }
  bool HeldElsewhere() const { return heldElsewhere_; }
  void Release() {
    if (owned_) ReleaseMutex(mutex_);
    owned_ = false;
    if (mutex_ != nullptr) CloseHandle(mutex_);
    mutex_ = nullptr;
  }

 private:
  HANDLE mutex_;
  bool owned_ = false;
  bool heldElsewhere_ = false;
};

// The box of the run under way, found by its dialog class and the application's title; while
// that run converts it has none yet, and shows it soon.
void RaiseBox() {
  if (HWND box = FindWindowW(L"#32770", L"aspclip")) SetForegroundWindow(box);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  aspclip::Win32Platform platform;
  const aspclip::CommandLine line = aspclip::ReadCommandLine(Arguments(), true);
  if (line.request != aspclip::Request::kConvert) return AnswerArguments(line, platform);
  RunLock lock;
  if (lock.HeldElsewhere()) {
    RaiseBox();
    return aspclip::kExitSuccess;
  }
  return aspclip::ConvertClipboard(platform);
}
