// Wildcards in operands, which cmd leaves to the program and a POSIX shell expands itself.
#pragma once

#include <string>
#include <vector>

#include "base/status.h"

namespace aspconv {

// The operands, each with * or ? that was not quoted on the command line replaced by the names it
// matches, in order; one that matches nothing is refused. Elsewhere than on Windows the operands
// as they are.
std::vector<std::string> ExpandWildcards(const std::vector<std::string>& operands,
                                         std::vector<aspclip::Status>& refused);

}  // namespace aspconv
