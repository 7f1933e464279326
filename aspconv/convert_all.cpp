#include "convert_all.h"

#include <algorithm>
#include <atomic>
#include <memory>
#include <thread>

#include "page_file.h"

namespace aspconv {

using aspclip::Status;

// Each worker has a converter of its own: a converter keeps state while it converts.
std::vector<Status> ConvertAll(const std::vector<Job>& jobs, const Options& options) {
  std::vector<Status> outcomes(jobs.size(), Status::Ok());
  std::atomic<std::size_t> next = 0;
  const auto work = [&] {
    std::unique_ptr<aspclip::Charset> charset;
    // The encoding was opened once already, so that its failure is a usage error.
    [[maybe_unused]] const Status opened = aspclip::Charset::Open(options.encoding, charset);
    const PageFormat format{charset.get(), options.raw};
    for (std::size_t k; (k = next++) < jobs.size();)
      outcomes[k] = ConvertPage(jobs[k], format);
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
