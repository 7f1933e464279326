// Standard input, output and error as a program finds them at its start.
#pragma once

namespace aspclip {

// Opens /dev/null on each of descriptors 0 to 2 that is closed, as some launchers and hotkey
// daemons start programs: a file or connection the program opens later would otherwise take that
// number and be written or read as a standard stream. Call it first thing.
void KeepStandardStreamsOpen();

// Whether descriptor `fd`, 0 to 2, was closed when KeepStandardStreamsOpen ran: what stands in for
// it reads nothing and writes nowhere, which must not pass for success.
bool ClosedAtStart(int fd);

// Flushes standard output. Where anything written to it failed, says so on standard error, as
// "PROGRAM: write error: REASON" as GNU tools do, and returns false.
bool StandardOutputWritten(const char* program);

// Each platform's part of KeepStandardStreamsOpen: puts /dev/null on `fd` where it is closed, and
// says whether it was.
bool ReopenIfClosed(int fd);

}  // namespace aspclip
