#include "clipboard_reader.h"

#include <algorithm>
#include <memory>

#include "aspclip/clipboard_run.h"
#include "text/windows_error.h"

namespace aspclip {
namespace {

// Another program may hold the clipboard open for a moment; waiting this long for it is what
// users expect of any program that pastes.
constexpr ULONGLONG kOpenWaitMs = 1000;
constexpr DWORD kOpenRetryMs = 10;
static_assert(kOpenWaitMs < kOwnerAnswerMs, "a clipboard held open is told of, not given up on");

// What the worker reads into. The run and the worker each finish with it once, the run by taking
// the text or by giving up; whichever comes second frees it.
struct Read {
  Read() : answered(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}
  ~Read() {
    if (answered != nullptr) CloseHandle(answered);
  }
  std::u16string text;
  Status status = Status::Ok();
  LONG firstDone = 0;
  // Set once the owner has answered (or the clipboard could not be opened): what is left is the
  // copying of data that is there, which takes as long as it takes.
  HANDLE answered;
};

Status CopyText(HANDLE answered, std::u16string& text) {
  HANDLE data = GetClipboardData(CF_UNICODETEXT);
  SetEvent(answered);
  if (data == nullptr) return LastWindowsError();
  const auto* units = static_cast<const char16_t*>(GlobalLock(data));
  if (units == nullptr) return LastWindowsError();
  const std::size_t capacity = GlobalSize(data) / sizeof(char16_t);
  const std::u16string_view stored(units, capacity);
  text = stored.substr(0, std::min(stored.find(u'\0'), capacity));
  GlobalUnlock(data);
  return Status::Ok();
}

DWORD WINAPI ReadOnWorker(void* context) {
  auto* read = static_cast<Read*>(context);
  // A window of the worker's own opens the clipboard: one opened for no window is taken, by some
  // systems, for the same opener as another program's that opened it for none either.
  HWND reader =
      CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
  read->status = OpenClipboardWaiting(reader);
  if (read->status.ok()) {
    read->status = CopyText(read->answered, read->text);
    CloseClipboard();
  }
  SetEvent(read->answered);
  if (reader != nullptr) DestroyWindow(reader);
  if (InterlockedExchange(&read->firstDone, 1) != 0) delete read;
  return 0;
}

}  // namespace

Status OpenClipboardWaiting(HWND owner) {
  const ULONGLONG deadline = GetTickCount64() + kOpenWaitMs;
  while (!::OpenClipboard(owner)) {
    const DWORD error = GetLastError();
    if (GetTickCount64() >= deadline) {
      return Status::Failed("another program kept the clipboard open (" + WindowsErrorText(error) +
                            ")");
    }
    Sleep(kOpenRetryMs);
  }
  return Status::Ok();
}

Status ReadClipboardText(std::u16string& text) {
  auto* read = new Read;
  HANDLE worker = CreateThread(nullptr, 0, ReadOnWorker, read, 0, nullptr);
  if (worker == nullptr) {
    delete read;
    return LastWindowsError();
  }
  // The bound is on the owner's answer alone; without the event, on the whole read.
  const HANDLE ends[] = {read->answered, worker};
  const bool answered = read->answered != nullptr
                            ? WaitForMultipleObjects(2, ends, FALSE, kOwnerAnswerMs) != WAIT_TIMEOUT
                            : WaitForSingleObject(worker, kOwnerAnswerMs) != WAIT_TIMEOUT;
  if (answered) WaitForSingleObject(worker, INFINITE);
  CloseHandle(worker);
  if (InterlockedExchange(&read->firstDone, 1) == 0) return OwnerDidNotAnswer();
  const std::unique_ptr<Read> done(read);
  if (!done->status.ok()) return done->status;
  text = std::move(done->text);
  return Status::Ok();
}

}  // namespace aspclip
