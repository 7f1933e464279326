#include "convert_all.h"

#include <algorithm>
#include <atomic>

#include "base/workers.h"
#include "page_file.h"

namespace aspconv {

// Each worker has converters of its own: a converter keeps state while it converts.
std::vector<PageOutcome> ConvertAll(const std::vector<Job>& jobs, const Options& options) {
  std::vector<PageOutcome> outcomes(jobs.size());
  std::atomic<std::size_t> next = 0;
  const PageFormat format{options.encoding, options.raw};
  const std::size_t cores = aspclip::Cores();
  const std::size_t workers = std::clamp<std::size_t>(jobs.size(), 1, cores);
  // The cores no page has to itself convert chunks of one: all of them when there is one page.
  const auto pageWorkers = static_cast<unsigned>(cores / workers);
  const auto work = [&] {
    Encodings encodings;
    for (std::size_t k; (k = next++) < jobs.size();) {
      PageOutcome& outcome = outcomes[k];
      outcome.status = ConvertPage(jobs[k], format, pageWorkers, encodings, outcome.encoding);
    }
  };
  aspclip::RunOnWorkers(workers, work);
  return outcomes;
}

}  // namespace aspconv
