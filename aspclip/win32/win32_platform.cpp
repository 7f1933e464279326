#include "win32_platform.h"

#include <algorithm>

#include "aspclip/clipboard_run.h"
#include "text/line_breaks.h"
#include "text/wtf8.h"

namespace aspclip {
namespace {

// Another program may hold the clipboard open for a moment; waiting this long for it is what
// users expect of any program that pastes.
constexpr ULONGLONG kOpenWaitMs = 1000;
constexpr DWORD kOpenRetryMs = 10;

std::string SystemError(DWORD code) {
  wchar_t* buffer = nullptr;
  const DWORD length = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
  std::wstring message(buffer != nullptr ? buffer : L"", length);
  LocalFree(buffer);
  while (!message.empty() && (message.back() == L'\r' || message.back() == L'\n' ||
                              message.back() == L' ' || message.back() == L'.')) {
    message.pop_back();
  }
  if (message.empty()) message = L"system error " + std::to_wstring(code);
  return Wtf8FromWide(message);
}

Status LastError() {
  return Status::Failed(SystemError(GetLastError()));
}

// The code in the clipboard's Unicode form; a piece never ends inside a character.
class Utf16Sink final : public CodeSink {
 public:
  void Put(std::string_view piece) override { AppendUtf16(piece, text_); }
  const std::u16string& text() const { return text_; }

 private:
  std::u16string text_;
};

}  // namespace

Win32Platform::Win32Platform()
    : owner_(CreateWindowExW(0, L"STATIC", WideFromWtf8(kApplicationTitle).c_str(), 0, 0, 0, 0, 0,
                             HWND_MESSAGE, nullptr, nullptr, nullptr)) {}

Win32Platform::~Win32Platform() {
  CloseClipboard();
  if (prepared_ != nullptr) GlobalFree(prepared_);
  if (owner_ != nullptr) DestroyWindow(owner_);
}

Status Win32Platform::OpenClipboard() {
  const ULONGLONG deadline = GetTickCount64() + kOpenWaitMs;
  while (!::OpenClipboard(owner_)) {
    const DWORD error = GetLastError();
    if (GetTickCount64() >= deadline) {
      return Status::Failed("another program kept the clipboard open (" + SystemError(error) + ")");
    }
    Sleep(kOpenRetryMs);
  }
  open_ = true;
  return Status::Ok();
}

void Win32Platform::CloseClipboard() {
  if (open_) ::CloseClipboard();
  open_ = false;
}

Status Win32Platform::AskForText(bool& holdsText) {
  // Windows reports CF_TEXT for an owner that offered only Unicode text, too.
  holdsText = IsClipboardFormatAvailable(CF_TEXT);
  return Status::Ok();
}

Status Win32Platform::ReadText(std::string& page) {
  // The Unicode format loses no character to a code page; Windows converts an 8-bit owner's text.
  if (Status opened = OpenClipboard(); !opened.ok()) return opened;
  HANDLE data = GetClipboardData(CF_UNICODETEXT);
  if (data == nullptr) {
    Status failed = LastError();
    CloseClipboard();
    return failed;
  }
  const auto* units = static_cast<const char16_t*>(GlobalLock(data));
  if (units == nullptr) {
    Status failed = LastError();
    CloseClipboard();
    return failed;
  }
  const std::size_t capacity = GlobalSize(data) / sizeof(char16_t);
  const std::u16string_view stored(units, capacity);
  page = WithCrLf(Wtf8FromUtf16(stored.substr(0, std::min(stored.find(u'\0'), capacity))));
  GlobalUnlock(data);
  CloseClipboard();
  return Status::Ok();
}

Status Win32Platform::PrepareText(const std::function<void(CodeSink&)>& convert) {
  Utf16Sink sink;
  convert(sink);
  const std::u16string& text = sink.text();
  const SIZE_T bytes = (text.size() + 1) * sizeof(char16_t);
  prepared_ = GlobalAlloc(GMEM_MOVEABLE, bytes);
  if (prepared_ == nullptr) return LastError();
  auto* units = static_cast<char16_t*>(GlobalLock(prepared_));
  if (units == nullptr) return LastError();
  std::copy(text.begin(), text.end(), units);
  units[text.size()] = u'\0';
  GlobalUnlock(prepared_);
  return Status::Ok();
}

Status Win32Platform::EmptyClipboard() {
  if (Status opened = OpenClipboard(); !opened.ok()) return opened;
  if (!::EmptyClipboard()) {
    Status failed = LastError();
    CloseClipboard();
    return failed;
  }
  return Status::Ok();  // stays open for the write
}

Status Win32Platform::PutPreparedText() {
  const bool put = SetClipboardData(CF_UNICODETEXT, prepared_) != nullptr;
  Status status = put ? Status::Ok() : LastError();
  if (put) prepared_ = nullptr;  // the clipboard owns it now
  CloseClipboard();
  return status;
}

Status Win32Platform::ShowMessage(const std::string& message) {
  const std::wstring title = WideFromWtf8(kApplicationTitle);
  return MessageBoxW(nullptr, WideFromWtf8(message).c_str(), title.c_str(), MB_OK) != 0
             ? Status::Ok()
             : LastError();
}

void Win32Platform::ShowFailure(const std::string& message) {
  const std::wstring title = WideFromWtf8(kApplicationTitle);
  MessageBoxW(nullptr, WideFromWtf8(message).c_str(), title.c_str(), MB_OK | MB_ICONERROR);
}

}  // namespace aspclip
