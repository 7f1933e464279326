#include "mapping_guard.h"

#include <signal.h>
#include <sys/mman.h>
#include <unistd.h>

#include <atomic>
#include <cstdint>
#include <mutex>

namespace aspclip {

namespace {

// One mapping a worker at a time; a few more than any machine has cores.
constexpr int kMostGuarded = 256;

// Read by the signal handler, so lock-free.
struct Guarded {
  std::atomic<std::uintptr_t> start{0};
  std::atomic<std::size_t> size{0};
  std::atomic<bool> shrank{false};
};
Guarded guarded[kMostGuarded];
static_assert(std::atomic<std::uintptr_t>::is_always_lock_free);

// Maps zeros over the faulting page and those behind it to the mapping's end: the faulting read
// is made again and reads a zero. A fault elsewhere is no concern of this guard: the default
// action is restored, and the read made again faults for good.
void OnBusError(int, siginfo_t* info, void*) {
  const auto at = reinterpret_cast<std::uintptr_t>(info->si_addr);
  for (Guarded& mapping : guarded) {
    const std::uintptr_t start = mapping.start.load();
    const std::size_t size = mapping.size.load();
    if (start == 0 || at < start || at - start >= size) continue;
    const auto pageSize = static_cast<std::uintptr_t>(sysconf(_SC_PAGESIZE));
    const std::uintptr_t page = at & ~(pageSize - 1);
    void* zeros = mmap(reinterpret_cast<void*>(page), start + size - page, PROT_READ,
                       MAP_PRIVATE | MAP_ANONYMOUS | MAP_FIXED, -1, 0);
    if (zeros == MAP_FAILED) break;
    mapping.shrank.store(true);
    return;
  }
  signal(SIGBUS, SIG_DFL);
}

void InstallHandler() {
  struct sigaction action = {};
  action.sa_sigaction = OnBusError;
  action.sa_flags = SA_SIGINFO;
  sigemptyset(&action.sa_mask);
  sigaction(SIGBUS, &action, nullptr);
}

}  // namespace

bool MappingGuard::Guard(void* start, std::size_t size) {
  static std::once_flag installed;
  std::call_once(installed, InstallHandler);
  for (int k = 0; k < kMostGuarded; ++k) {
    std::uintptr_t free = 0;
    if (guarded[k].start.compare_exchange_strong(free, reinterpret_cast<std::uintptr_t>(start))) {
      guarded[k].shrank.store(false);
      guarded[k].size.store(size);
      slot_ = k;
      return true;
    }
  }
  return false;
}

void MappingGuard::Release() {
  if (slot_ < 0) return;
  guarded[slot_].size.store(0);
  guarded[slot_].start.store(0);
  slot_ = -1;
}

bool MappingGuard::Shrank() const {
  return slot_ >= 0 && guarded[slot_].shrank.load();
}

}  // namespace aspclip
