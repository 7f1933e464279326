// aspclip on Windows: a GUI program with no window of its own beyond its message box.
#include <windows.h>

#include "clipboard_run.h"
#include "win32_platform.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  aspclip::Win32Platform platform;
  return aspclip::ConvertClipboard(platform);
}
