// The second pass: merges each run of consecutive writes into one statement on OutputString.
#pragma once

#include "text_ops.h"

namespace aspclip {

// Joins each run of lines that begin with "Response.Write " into one statement, its operands
// separated by " & " and continued onto a new line once a generated line holds more than the limit,
// then turns every "Response.Write " outside string literals into "OutputString = OutputString & ".
// Every output line ends in a line break.
void MergeWriteRuns(Text& text);

}  // namespace aspclip
