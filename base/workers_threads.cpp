#include <algorithm>
#include <system_error>
#include <thread>
#include <vector>

#include "workers.h"

namespace aspclip {

unsigned Cores() {
  return std::max(std::thread::hardware_concurrency(), 1U);
}

void RunOnWorkers(std::size_t workers, const std::function<void()>& work) {
  std::vector<std::thread> helpers;
  try {
    while (helpers.size() + 1 < workers)
      helpers.emplace_back(work);
  } catch (const std::system_error&) {  // fewer workers, then
  }
  work();
  for (std::thread& helper : helpers)
    helper.join();
}

}  // namespace aspclip
