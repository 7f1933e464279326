#include "temporaries.h"

#include <set>

#ifdef _WIN32
#include <windows.h>
#else
#include <signal.h>
#include <unistd.h>

#include <shared_mutex>
#include <thread>
#endif

namespace aspconv {
namespace {

// Steps take it shared, so that workers make and rename their temporaries side by side; the
// signal takes it alone, and for good: it waits for the steps under way, and a step that would
// follow waits forever, which the end of the process ends. The set of names has a lock of its own.
// Windows' own locks, where the toolchain has no std::shared_mutex.
class Lock {
 public:
#ifdef _WIN32
  void lock() {
    AcquireSRWLockExclusive(&lock_);
  }
  void unlock() {
    ReleaseSRWLockExclusive(&lock_);
  }
  void lock_shared() {
    AcquireSRWLockShared(&lock_);
  }
  void unlock_shared() {
    ReleaseSRWLockShared(&lock_);
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
  void lock_shared() {
    mutex_.lock_shared();
  }
  void unlock_shared() {
    mutex_.unlock_shared();
  }

 private:
  std::shared_mutex mutex_;
#endif
};
Lock steps, names;
std::set<std::filesystem::path> known;

// Adds or forgets a name, under the names' own lock.
void Know(const std::filesystem::path& path, bool keep) {
  names.lock();
  try {
    if (keep) {
      known.insert(path);
    } else {
      known.erase(path);
    }
  } catch (...) {
    names.unlock();
    throw;
  }
  names.unlock();
}

void RemoveKnown() {
  for (const std::filesystem::path& path : known) {
    std::error_code ignored;
    std::filesystem::remove(path, ignored);
  }
}

#ifdef _WIN32
BOOL WINAPI OnConsoleEvent(DWORD) {
  steps.lock();
  RemoveKnown();
  return FALSE;  // the system's own handler ends the process
}
#else
void AwaitSignal(sigset_t signals) {
  int signal = 0;
  while (sigwait(&signals, &signal) != 0) {
  }
  steps.lock();
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
    Held() { steps.lock_shared(); }
    ~Held() { steps.unlock_shared(); }
  } held;
  if (keep) Know(path, true);
  step();
  if (!keep) Know(path, false);
}

}  // namespace aspconv
