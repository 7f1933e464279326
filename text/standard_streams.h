// Standard input, output and error as a program finds them at its start.
#pragma once

namespace aspclip {

// Opens /dev/null on each of descriptors 0 to 2 that is closed, as some launchers and hotkey
// daemons start programs: a file or connection the program opens later would otherwise take that
// number and be written or read as a standard stream. Call it first thing.
void KeepStandardStreamsOpen();

}  // namespace aspclip
