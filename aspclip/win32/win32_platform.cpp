#include "win32_platform.h"

#include <algorithm>

#include "aspclip/clipboard_run.h"
#include "clipboard_reader.h"
#include "text/line_breaks.h"
#include "text/wide_strings.h"
#include "text/windows_error.h"
#include "text/wtf8.h"

namespace aspclip {
namespace {

// MessageBoxW hands out no window: the box's is told by a hook on this thread's activations while
// it shows, the box being the only window the thread activates.
const std::function<void(HWND)>* activated = nullptr;

LRESULT CALLBACK OnWindowEvent(int code, WPARAM window, LPARAM details) {
  // An activation of no window, which Wine tells of as the box loses its own, is no box.
  const auto box = reinterpret_cast<HWND>(window);
  if (code == HCBT_ACTIVATE && box != nullptr && activated != nullptr && *activated) {
    (*activated)(box);
  }
  return CallNextHookEx(nullptr, code, window, details);
}

int ShowBox(const std::string& message, UINT type, const std::function<void(HWND)>& shown) {
  const std::wstring title = WideFromWtf8(kApplicationTitle);
  activated = &shown;
  HHOOK hook = SetWindowsHookExW(WH_CBT, OnWindowEvent, nullptr, GetCurrentThreadId());
  const int answer = MessageBoxW(nullptr, WideFromWtf8(message).c_str(), title.c_str(), type);
  if (hook != nullptr) UnhookWindowsHookEx(hook);
  activated = nullptr;
  return answer;
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
  Status opened = OpenClipboardWaiting(owner_);
  open_ = opened.ok();
  return opened;
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
  std::u16string text;
  if (Status read = ReadClipboardText(text); !read.ok()) return read;
  page = WithCrLf(Wtf8FromUtf16(text));
  return Status::Ok();
}

Status Win32Platform::PrepareText(const std::function<void(CodeSink&)>& convert) {
  Utf16Sink sink;
  convert(sink);
  const std::u16string& text = sink.text();
  const SIZE_T bytes = (text.size() + 1) * sizeof(char16_t);
  prepared_ = GlobalAlloc(GMEM_MOVEABLE, bytes);
  if (prepared_ == nullptr) return LastWindowsError();
  auto* units = static_cast<char16_t*>(GlobalLock(prepared_));
  if (units == nullptr) return LastWindowsError();
  std::copy(text.begin(), text.end(), units);
  units[text.size()] = u'\0';
  GlobalUnlock(prepared_);
  return Status::Ok();
}

Status Win32Platform::EmptyClipboard() {
  if (Status opened = OpenClipboard(); !opened.ok()) return opened;
  if (!::EmptyClipboard()) {
    Status failed = LastWindowsError();
    CloseClipboard();
    return failed;
  }
  return Status::Ok();  // stays open for the write
}

Status Win32Platform::PutPreparedText() {
  const bool put = SetClipboardData(CF_UNICODETEXT, prepared_) != nullptr;
  Status status = put ? Status::Ok() : LastWindowsError();
  if (put) prepared_ = nullptr;  // the clipboard owns it now
  CloseClipboard();
  return status;
}

Status Win32Platform::ShowMessage(const std::string& message) {
  return ShowBox(message, MB_OK, boxShown_) != 0 ? Status::Ok() : LastWindowsError();
}

void Win32Platform::ShowFailure(const std::string& message) {
  ShowBox(message, MB_OK | MB_ICONERROR, boxShown_);
}

}  // namespace aspclip
