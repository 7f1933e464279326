// The system's own words for a Windows error.
#pragma once

#include <string>

#include "base/status.h"

namespace aspclip {

// The message for an error code of GetLastError, without its closing period.
std::string WindowsErrorText(unsigned long code);

// The failure of the Windows call that has just failed, in the system's words.
Status LastWindowsError();

}  // namespace aspclip
