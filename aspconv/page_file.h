// One page's file: read, checked and decoded, converted, and its code written where the job says.
#pragma once

#include "plan.h"
#include "text/charset.h"
#include "text/status.h"

namespace aspconv {

struct PageFormat {
  aspclip::Charset* charset = nullptr;  // pages and code are in this encoding; none is UTF-8
  bool raw = false;                     // lone CR and LF stay as they are
};

// The failure names the file it befell; running out of memory fails the page, not the run.
aspclip::Status ConvertPage(const Job& job, const PageFormat& format);

}  // namespace aspconv
