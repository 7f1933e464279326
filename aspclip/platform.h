// What the clipboard run needs of the platform. Each adapter (GTK on X11, Win32) implements it;
// tests implement it with a recording fake.
#pragma once

#include <functional>
#include <string>

#include "convert/stage.h"
#include "base/status.h"

namespace aspclip {

class Platform {
 public:
  virtual ~Platform() = default;
  virtual Status AskForText(bool& holdsText) = 0;
  // The clipboard's text as the engine reads it: UTF-8 (WTF-8 on Windows) with CR LF line breaks.
  virtual Status ReadText(std::string& page) = 0;
  // Puts the code that `convert` hands to its sink into the clipboard's own form (encoded, in the
  // memory it will live in), so that once the clipboard is emptied nothing is left that can run
  // out of memory.
  virtual Status PrepareText(const std::function<void(CodeSink&)>& convert) = 0;
  // Empties the clipboard before the code is put on it, where the platform needs that; one whose
  // write replaces all that the clipboard holds at once leaves this step to it.
  virtual Status EmptyClipboard() { return Status::Ok(); }
  virtual Status PutPreparedText() = 0;
  virtual Status ShowMessage(const std::string& message) = 0;
  // The one message of a failed run; it cannot fail in turn, falling back to standard error.
  virtual void ShowFailure(const std::string& message) = 0;
};

}  // namespace aspclip
