#include "workers.h"

namespace aspclip {

unsigned Cores() {
  return 1;
}

void RunOnWorkers(std::size_t, const std::function<void()>& work) {
  work();
}

}  // namespace aspclip
