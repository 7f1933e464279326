// Words for the user on standard output or error, and code written to a console. On Windows a
// console is written in Unicode, so that text beyond ASCII shows as it is, and a file or pipe in
// bytes: words in UTF-8 with CR LF line breaks, code as it is.
#pragma once

#include <cstdio>
#include <memory>
#include <string>
#include <string_view>

#include "base/status.h"

namespace aspconv {

void Say(std::FILE* stream, const std::string& text);

// The text with its control characters written as escapes (\n, \033, \u009b), as ls and
// coreutils' messages show names: a name from a hostile site could otherwise drive the terminal,
// or split a message in two.
std::string ControlsEscaped(std::string_view text);

// Standard output carries code byte for byte from here on: no CR is put before an LF.
void StandardOutputForCode();

// Code in UTF-8 to a console, in pieces: a piece may end inside a character, whose first bytes
// wait for the rest.
class ConsoleText {
 public:
  // Null where `fd` is no console, and everywhere but on Windows.
  static std::unique_ptr<ConsoleText> For(int fd);
  virtual ~ConsoleText() = default;
  virtual aspclip::Status Write(std::string_view utf8) = 0;
  // Writes what still waits.
  virtual aspclip::Status Finish() = 0;
};

}  // namespace aspconv
