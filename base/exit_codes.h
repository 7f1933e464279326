// The exit codes of both programs.
#pragma once

namespace aspclip {

enum ExitCode {
  kExitSuccess = 0,
  // aspclip: a clipboard or message step failed. aspconv: some input could not be read, decoded or
  // written, or memory ran out.
  kExitFailure = 1,
  // An argument was not understood; aspclip also when there is no display to reach the clipboard
  // through, which is how it was started rather than anything it met.
  kExitUsage = 2,
};

}  // namespace aspclip
