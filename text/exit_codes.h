// The exit codes of both programs.
#pragma once

namespace aspclip {

enum ExitCode {
  kExitSuccess = 0,
  // aspclip: a clipboard or message step failed. aspconv: the input could not be read, the output
  // could not be written, or memory ran out.
  kExitFailure = 1,
  // An argument was not understood.
  kExitUsage = 2,
  // aspclip: no display to reach the clipboard through.
  kExitNoDisplay = 2,
  // aspconv: the input is not valid UTF-8.
  kExitBadInput = 2,
};

}  // namespace aspclip
