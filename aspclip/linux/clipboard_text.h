// The clipboard's text as both Linux adapters take it in and hand it out: UTF-8 with the
// platform's LF line breaks on the clipboard, CR LF for the engine.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "base/status.h"
#include "convert/stage.h"

namespace aspclip {

// The page the owner sent, as the engine reads it: checked as UTF-8 and copied with CR LF line
// breaks; `bytes` is nothing where the owner sent no text.
Status TakeText(std::optional<std::string_view> bytes, std::string& page);

// The code with the platform's LF line breaks; a piece never ends inside a CR LF.
class LfSink final : public CodeSink {
 public:
  explicit LfSink(std::string& out) : out_(out) {}
  void Put(std::string_view piece) override;

 private:
  std::string& out_;
};

}  // namespace aspclip
