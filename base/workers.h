// Threads where the toolchain has them: libstdc++ built for Windows' own threads has none, and
// there the work is done by the calling thread alone. CMake tells which (ASPCLIP_THREADS) and
// builds the matching file, workers_threads.cpp or workers_single.cpp.
#pragma once

#include <atomic>
#include <cstddef>
#include <functional>

namespace aspclip {

// How many threads may usefully work at once: the processor's cores, or one without threads.
unsigned Cores();

// Runs `work` on this thread and on `workers` - 1 more at once, and returns when every one has
// ended: on fewer where no more threads can be started, and on this one alone without threads.
// Each runs the same `work`, which takes its share of what there is to do until none is left.
void RunOnWorkers(std::size_t workers, const std::function<void()>& work);

// Runs `work` with each part's number, from 0 to `parts` - 1, on as many workers: each takes the
// next part not yet taken.
template <typename Work>
void RunParts(std::size_t parts, const Work& work) {
  std::atomic<std::size_t> next = 0;
  RunOnWorkers(parts, [&] {
    for (std::size_t k; (k = next++) < parts;)
      work(k);
  });
}

// Below this many bytes, starting a thread for a part of a text costs more than it saves.
inline constexpr std::size_t kLeastBytesInParts = 1 << 20;

}  // namespace aspclip
