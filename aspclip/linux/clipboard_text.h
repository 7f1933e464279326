// The clipboard's text as both Linux adapters take it in and hand it out: UTF-8 with the
// platform's LF line breaks on the clipboard, CR LF for the engine.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "base/scan.h"
#include "convert/stage.h"
#include "base/status.h"

namespace aspclip {

// What the owner sent, checked and copied with CR LF line breaks where it is received (in GTK's
// callback itself, before GTK frees it); an exception must not cross GTK's C frames, so running
// out of memory is recorded instead.
struct ReceivedText {
  bool sent = false;
  bool outOfMemory = false;
  std::size_t badByte = kNotFound;
  std::string page;
};

ReceivedText Receive(std::optional<std::string_view> bytes);
// The page, or why there is none.
Status TakeText(ReceivedText& received, std::string& page);

// The code with the platform's LF line breaks; a piece never ends inside a CR LF.
class LfSink final : public CodeSink {
 public:
  explicit LfSink(std::string& out) : out_(out) {}
  void Put(std::string_view piece) override;

 private:
  std::string& out_;
};

}  // namespace aspclip
