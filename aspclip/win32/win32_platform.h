// The clipboard and message box of Windows, through the Win32 API alone.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "aspclip/platform.h"

namespace aspclip {

class Win32Platform final : public Platform {
 public:
  Win32Platform();
  ~Win32Platform() override;
  Win32Platform(const Win32Platform&) = delete;
  Win32Platform& operator=(const Win32Platform&) = delete;

  Status AskForText(bool& holdsText) override;
  Status ReadText(std::string& page) override;
  Status PrepareText(const std::function<void(CodeSink&)>& convert) override;
  Status EmptyClipboard() override;
  Status PutPreparedText() override;
  Status ShowMessage(const std::string& message) override;
  void ShowFailure(const std::string& message) override;

  // Called with the window of each box as it shows.
  void OnBoxShown(std::function<void(HWND box)> shown) { boxShown_ = std::move(shown); }

 private:
  Status OpenClipboard();
  void CloseClipboard();

  HWND owner_;  // a message-only window: the clipboard needs an owner for new data
  bool open_ = false;
  HGLOBAL prepared_ = nullptr;  // ours until the clipboard takes it
  std::function<void(HWND box)> boxShown_;
};

}  // namespace aspclip
