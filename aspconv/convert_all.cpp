#include "convert_all.h"

#include <algorithm>
#include <atomic>
#include <thread>

#include "page_file.h"

namespace aspconv {

// Each worker has converters of its own: a converter keeps state while it converts.
std::vector<PageOutcome> ConvertAll(const std::vector<Job>& jobs, const Options& options) {
  std::vector<PageOutcome> outcomes(jobs.size());
  std::atomic<std::size_t> next = 0;
  const PageFormat format{options.encoding, options.raw};
  const auto work = [&] {
    Encodings encodings;
    for (std::size_t k; (k = next++) < jobs.size();) {
      PageOutcome& outcome = outcomes[k];
      outcome.status = ConvertPage(jobs[k], format, encodings, outcome.encoding);
    }
  };
#if defined(_GLIBCXX_HAS_GTHREADS)
  const std::size_t workers =
      std::min<std::size_t>(std::max(1U, std::thread::hardware_concurrency()), jobs.size());
  std::vector<std::thread> threads;
  for (std::size_t k = 1; k < workers; ++k)
    threads.emplace_back(work);
  work();
  for (std::thread& thread : threads)
    thread.join();
#else
  work();  // a toolchain without threads
#endif
  return outcomes;
}

}  // namespace aspconv
