// Threads where the toolchain has them: libstdc++ built for Windows' own threads has none, and
// there the work is done by the calling thread alone.
#pragma once

#include <algorithm>
#include <thread>

#if defined(_GLIBCXX_HAS_GTHREADS)
#define ASPCLIP_THREADS 1
#endif

namespace aspclip {

// How many threads may usefully work at once: the processor's cores, or one without threads.
inline unsigned Cores() {
#if defined(ASPCLIP_THREADS)
  return std::max(std::thread::hardware_concurrency(), 1U);
#else
  return 1;
#endif
}

}  // namespace aspclip
