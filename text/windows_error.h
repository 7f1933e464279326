// The system's own words for a Windows error.
#pragma once

#include <string>

namespace aspclip {

// The message for an error code of GetLastError, without its closing period.
std::string WindowsErrorText(unsigned long code);

}  // namespace aspclip
