// Converting the pages of a plan on every core.
#pragma once

#include <string>
#include <vector>

#include "options.h"
#include "plan.h"

namespace aspconv {

struct PageOutcome {
  aspclip::Status status = aspclip::Status::Ok();
  std::string encoding;  // the page was read in; empty when it could not be read
};

// Each job's outcome, in the order of the jobs, whatever order the workers finish them in.
std::vector<PageOutcome> ConvertAll(const std::vector<Job>& jobs, const Options& options);

}  // namespace aspconv
