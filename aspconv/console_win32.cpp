#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <algorithm>

#include "base/characters.h"
#include "console.h"
#include "text/wide_strings.h"
#include "text/windows_error.h"

namespace aspconv {
namespace {

HANDLE ConsoleOf(int fd) {
  const auto handle = reinterpret_cast<HANDLE>(_get_osfhandle(fd));
  DWORD mode = 0;
  return handle != INVALID_HANDLE_VALUE && GetConsoleMode(handle, &mode) ? handle : nullptr;
}

aspclip::Status WriteWide(HANDLE console, std::string_view wtf8) {
  const std::wstring wide = aspclip::WideFromWtf8(wtf8);
  // A console takes a bounded amount in one call.
  constexpr std::size_t kMostUnits = 8192;
  for (std::size_t at = 0; at < wide.size(); at += kMostUnits) {
    const auto units = static_cast<DWORD>(std::min(kMostUnits, wide.size() - at));
    DWORD written = 0;
    if (!WriteConsoleW(console, wide.data() + at, units, &written, nullptr))
      return aspclip::LastWindowsError();
  }
  return aspclip::Status::Ok();
}

class WindowsConsoleText final : public ConsoleText {
 public:
  explicit WindowsConsoleText(HANDLE console) : console_(console) {}
  aspclip::Status Write(std::string_view utf8) override {
    waiting_.append(utf8);
    const std::size_t whole = aspclip::WholeSequencesEnd(waiting_, waiting_.size());
    const aspclip::Status written =
        WriteWide(console_, std::string_view(waiting_).substr(0, whole));
    waiting_.erase(0, whole);
    return written;
  }
  aspclip::Status Finish() override {
    const aspclip::Status written = WriteWide(console_, waiting_);
    waiting_.clear();
    return written;
  }

 private:
  HANDLE console_;
  std::string waiting_;
};

}  // namespace

void Say(std::FILE* stream, const std::string& text) {
  if (HANDLE console = ConsoleOf(_fileno(stream))) {
    std::fflush(stream);
    static_cast<void>(WriteWide(console, text));  // words that cannot be shown have nowhere to go
    return;
  }
  std::fputs(text.c_str(), stream);  // a text stream: CR LF
}

void StandardOutputForCode() {
  std::fflush(stdout);
  _setmode(_fileno(stdout), _O_BINARY);
}

std::unique_ptr<ConsoleText> ConsoleText::For(int fd) {
  HANDLE console = ConsoleOf(fd);
  return console != nullptr ? std::make_unique<WindowsConsoleText>(console) : nullptr;
}

}  // namespace aspconv
