#include "temporaries.h"

#include <set>

#ifdef _WIN32
#include <windows.h>
#else
#include <signal.h>
#include <unistd.h>

#include <mutex>
#include <thread>
#endif

namespace aspconv {
namespace {

// Taken for each step, and for good by the signal: a step that would follow it waits forever,
// which the end of the process ends. Windows' own lock, where the toolchain has no std::mutex.
class Registry {
 public:
#ifdef _WIN32
  void lock() {
    AcquireSRWLockExclusive(&lock_);
  }
  void unlock() {
    ReleaseSRWLockExclusive(&lock_);
  }

 private:
  SRWLOCK lock_ = SRWLOCK_INIT;
#else
  void lock() {
    mutex_.lock();
  }
  void unlock() {
    mutex_.unlock();
  }

 private:
  std::mutex mutex_;
#endif
};
Registry registry;
std::set<std::filesystem::path> known;

void RemoveKnown() {
  for (const std::filesystem::path& path : known) {
    std::error_code ignored;
    std::filesystem::remove(path, ignored);
  }
}

#ifdef _WIN32
BOOL WINAPI OnConsoleEvent(DWORD) {
  registry.lock();
  RemoveKnown();
  return FALSE;  // the system's own handler ends the process
}
#else
void AwaitSignal(sigset_t signals) {
  int signal = 0;
  while (sigwait(&signals, &signal) != 0) {
  }
  registry.lock();
  RemoveKnown();
  // The status a shell gives a program that a signal ended: 128 + the signal's number.
  constexpr int kSignalledStatus = 128;
  _exit(kSignalledStatus + signal);
}
#endif

}  // namespace

void RemoveTemporariesOnSignals() {
#ifdef _WIN32
  SetConsoleCtrlHandler(OnConsoleEvent, TRUE);
#else
  sigset_t signals;
  sigemptyset(&signals);
  for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
    struct sigaction current;
    if (sigaction(signal, nullptr, &current) == 0 && current.sa_handler != SIG_IGN) {
      sigaddset(&signals, signal);
    }
  }
  // Blocked here, and so in every thread started later, the signals come to the one that waits.
  pthread_sigmask(SIG_BLOCK, &signals, nullptr);
  std::thread(AwaitSignal, signals).detach();
#endif
}

void WithTemporary(const std::filesystem::path& path, bool keep,
                   const std::function<void()>& step) {
  struct Held {
    Held() { registry.lock(); }
    ~Held() { registry.unlock(); }
  } held;
  if (keep) known.insert(path);
  step();
  if (!keep) known.erase(path);
}

}  // namespace aspconv
