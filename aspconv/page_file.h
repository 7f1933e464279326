// One page's file: read, converted, and its code written where the job says.
#pragma once

#include <string>

#include "base/status.h"
#include "page_text.h"
#include "plan.h"

namespace aspconv {

// Converts the job's page. The failure names the file it befell; running out of memory fails the
// page, not the run. `readAs` is set to the encoding the page was read in. `workers` convert the
// page's chunks at once.
aspclip::Status ConvertPage(const Job& job, const PageFormat& format, unsigned workers,
                            Encodings& encodings, std::string& readAs);

}  // namespace aspconv
