// Converting the pages of a plan on every core.
#pragma once

#include <vector>

#include "options.h"
#include "plan.h"

namespace aspconv {

// Each job's outcome, in the order of the jobs, whatever order the workers finish them in.
std::vector<aspclip::Status> ConvertAll(const std::vector<Job>& jobs, const Options& options);

}  // namespace aspconv
