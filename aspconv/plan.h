// Planning a run: the operands and the folders among them become jobs, one a page, each with the
// file its code goes to; pages that cannot be planned are refused, each with its reason.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "base/status.h"
#include "paths.h"

namespace aspconv {

// One page: where it comes from and where its code goes; an empty path is standard input or
// output.
struct Job {
  fs::path input;
  fs::path output;
};

struct Plan {
  std::vector<Job> jobs;
  std::vector<aspclip::Status> refused;  // each names the page or folder
  std::size_t leftOut = 0;  // pages inside the output folder, which is never read as input
};

// Plans the conversion of `operands` ("-" is standard input; none is standard input) to `output`
// (none is standard output). Fails with a usage error's message.
aspclip::Status PlanJobs(std::vector<std::string> operands,
                         const std::optional<std::string>& output, Plan& plan);

}  // namespace aspconv
