// Test helper for Wine: exact clipboard I/O through files, and the message box of the program under
// test. No line breaks are translated anywhere.
//   clipio set FILE       put FILE (UTF-8) on the clipboard as CF_UNICODETEXT
//   clipio setansi FILE   put FILE's bytes on the clipboard as CF_TEXT only
//   clipio setutf16 FILE  put FILE's UTF-16LE units, lone surrogates too, on the clipboard
//   clipio setbmp         put a 1x1 picture (CF_DIB) and nothing else on the clipboard
//   clipio setdelayed     own the clipboard with text rendered only on request, print "ready",
//                         and never answer the request (until killed)
//   clipio clear          empty the clipboard
//   clipio get FILE       write CF_UNICODETEXT as UTF-8 to FILE; exit 3 when there is no text
//   clipio getutf16 FILE  write CF_UNICODETEXT's units as UTF-16LE to FILE; exit 3 likewise
//   clipio dismiss FILE [SECONDS]
//                         wait up to SECONDS (10) for a message box, write "caption\ntext"
//                         (UTF-8) to FILE and press OK; exit 4 when none appeared
//   clipio formats        print the clipboard's format numbers, one a line
//   clipio sequence       print the clipboard's sequence number, which every change raises
//   clipio boxes          print how many message boxes titled "aspclip" are open
//   clipio holdopen MS    keep the clipboard open for MS milliseconds
//   clipio hold           stay alive until killed (keeps Wine's clipboard holder running)
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

std::string ReadBytes(const wchar_t* path) {
  std::string bytes;
  FILE* f = _wfopen(path, L"rb");
  if (f == nullptr) {
    fwprintf(stderr, L"cannot open %ls\n", path);
    exit(2);
  }
  char buffer[65536];
  for (size_t n; (n = fread(buffer, 1, sizeof buffer, f)) > 0;)
    bytes.append(buffer, n);
  fclose(f);
  return bytes;
}

bool WriteBytes(const wchar_t* path, const std::string& bytes) {
  FILE* f = _wfopen(path, L"wb");
  if (f == nullptr) return false;
  fwrite(bytes.data(), 1, bytes.size(), f);
  return fclose(f) == 0;
}

std::string Utf8(const wchar_t* text, int length) {
  const int n = WideCharToMultiByte(CP_UTF8, 0, text, length, nullptr, 0, nullptr, nullptr);
  std::string out(n, '\0');
  WideCharToMultiByte(CP_UTF8, 0, text, length, out.data(), n, nullptr, nullptr);
  return out;
}

bool Open() {
  for (int i = 0; i < 100; ++i) {
    if (OpenClipboard(nullptr)) return true;
    Sleep(20);
  }
  fprintf(stderr, "OpenClipboard failed: %lu\n", GetLastError());
  return false;
}

int Put(UINT format, const void* data, size_t bytes) {
  if (!Open()) return 1;
  EmptyClipboard();
  int rc = 0;
  if (data != nullptr) {
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes);
    memcpy(GlobalLock(memory), data, bytes);
    GlobalUnlock(memory);
    if (SetClipboardData(format, memory) == nullptr) {
      fprintf(stderr, "SetClipboardData failed: %lu\n", GetLastError());
      rc = 1;
    }
  }
  CloseClipboard();
  return rc;
}

int Get(const wchar_t* path, bool utf16) {
  if (!Open()) return 1;
  HANDLE data = GetClipboardData(CF_UNICODETEXT);
  if (data == nullptr) {
    CloseClipboard();
    return 3;
  }
  const auto* text = static_cast<const wchar_t*>(GlobalLock(data));
  const std::string out =
      utf16 ? std::string(reinterpret_cast<const char*>(text), wcslen(text) * sizeof(wchar_t))
            : Utf8(text, static_cast<int>(wcslen(text)));
  GlobalUnlock(data);
  CloseClipboard();
  return WriteBytes(path, out) ? 0 : 2;
}

int Dismiss(const wchar_t* path, int seconds) {
  constexpr int kLookMs = 20;
  HWND box = nullptr;
  for (int i = 0; i < seconds * 1000 / kLookMs && box == nullptr; ++i) {
    box = FindWindowW(L"#32770", nullptr);
    if (box == nullptr || !IsWindowVisible(box)) {
      box = nullptr;
      Sleep(kLookMs);
    }
  }
  if (box == nullptr) return 4;
  wchar_t caption[512] = L"", body[4096] = L"";
  GetWindowTextW(box, caption, 512);
  // The text is the longest static control; an icon is a static control without text.
  for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    wchar_t className[64], text[4096];
    GetClassNameW(child, className, 64);
    if (lstrcmpiW(className, L"Static") == 0 &&
        GetWindowTextW(child, text, 4096) > lstrlenW(body)) {
      lstrcpyW(body, text);
    }
  }
  const std::wstring all = std::wstring(caption) + L"\n" + body;
  WriteBytes(path, Utf8(all.c_str(), static_cast<int>(all.size())));
  PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
  return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 2) return 2;
  const std::wstring command = argv[1];
  if (command == L"set" && argc == 3) {
    const std::string utf8 = ReadBytes(argv[2]);
    const int n =
        MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::vector<wchar_t> wide(n + 1, L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(), n);
    return Put(CF_UNICODETEXT, wide.data(), wide.size() * sizeof(wchar_t));
  }
  if (command == L"setansi" && argc == 3) {
    const std::string bytes = ReadBytes(argv[2]);
    return Put(CF_TEXT, bytes.c_str(), bytes.size() + 1);
  }
  if (command == L"setutf16" && argc == 3) {
    std::string units = ReadBytes(argv[2]);
    units.append(sizeof(wchar_t), '\0');
    return Put(CF_UNICODETEXT, units.data(), units.size());
  }
  if (command == L"setbmp") {
    struct {
      BITMAPINFOHEADER header;
      DWORD pixel;
    } dib = {};
    dib.header.biSize = sizeof(BITMAPINFOHEADER);
    dib.header.biWidth = dib.header.biHeight = dib.header.biPlanes = 1;
    dib.header.biBitCount = 32;
    dib.header.biCompression = BI_RGB;
    dib.pixel = 0x00FF0000;
    return Put(CF_DIB, &dib, sizeof dib);
  }
  if (command == L"clear") return Put(0, nullptr, 0);
  if (command == L"get" && argc == 3) return Get(argv[2], false);
  if (command == L"getutf16" && argc == 3) return Get(argv[2], true);
  if (command == L"dismiss" && (argc == 3 || argc == 4)) {
    return Dismiss(argv[2], argc == 4 ? _wtoi(argv[3]) : 10);
  }
  if (command == L"formats") {
    if (!Open()) return 1;
    for (UINT format = EnumClipboardFormats(0); format != 0;
         format = EnumClipboardFormats(format)) {
      printf("%u\n", format);
    }
    CloseClipboard();
    return 0;
  }
  if (command == L"sequence") {
    printf("%lu\n", GetClipboardSequenceNumber());
    return 0;
  }
  if (command == L"boxes") {
    int boxes = 0;
    for (HWND box = nullptr; (box = FindWindowExW(nullptr, box, L"#32770", L"aspclip")) != nullptr;)
      ++boxes;
    printf("%d\n", boxes);
    return 0;
  }
  if (command == L"front") {  // the title of the window in front
    wchar_t title[256] = L"";
    GetWindowTextW(GetForegroundWindow(), title, 256);
    printf("%s\n", Utf8(title, lstrlenW(title)).c_str());
    return 0;
  }
  if (command == L"takefront") {  // a window of its own in front, until it is ended
    HWND window = CreateWindowW(L"STATIC", L"clipio-front", WS_OVERLAPPED | WS_VISIBLE, 0, 0, 200,
                                100, nullptr, nullptr, nullptr, nullptr);
    SetForegroundWindow(window);
    printf("ready\n");
    fflush(stdout);
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0)
      DispatchMessageW(&message);
    return 0;
  }
  if (command == L"holdopen" && argc == 3) {
    if (!Open()) return 1;
    printf("open\n");
    fflush(stdout);
    Sleep(_wtoi(argv[2]));
    CloseClipboard();
    return 0;
  }
  if (command == L"setdelayed") {
    HWND owner = CreateWindowW(L"STATIC", L"clipio-delayed", 0, 0, 0, 0, 0, nullptr, nullptr,
                               nullptr, nullptr);
    if (!OpenClipboard(owner)) return 1;
    EmptyClipboard();
    SetClipboardData(CF_UNICODETEXT, nullptr);  // rendered when asked for, which it never is
    CloseClipboard();
    printf("ready\n");
    fflush(stdout);
    Sleep(INFINITE);
    return 0;
  }
  if (command == L"hold") {
    CreateWindowW(L"STATIC", L"clipio-hold", 0, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0)
      DispatchMessageW(&message);
    return 0;
  }
  return 2;
}
