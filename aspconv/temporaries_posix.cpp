#include <signal.h>
#include <unistd.h>

#include <shared_mutex>
#include <thread>

#include "temporaries.h"
#include "temporaries_lock.h"

namespace aspconv {
namespace {

void AwaitSignal(sigset_t signals) {
  int signal = 0;
  while (sigwait(&signals, &signal) != 0) {
  }
  RemoveTemporariesForGood();
  // The status a shell gives a program that a signal ended: 128 + the signal's number.
  constexpr int kSignalledStatus = 128;
  _exit(kSignalledStatus + signal);
}

}  // namespace

struct StepsLock::Native {
  std::shared_mutex mutex;
};

StepsLock::StepsLock() : native_(std::make_unique<Native>()) {}
StepsLock::~StepsLock() = default;
void StepsLock::lock() {
  native_->mutex.lock();
}
void StepsLock::unlock() {
  native_->mutex.unlock();
}
void StepsLock::lock_shared() {
  native_->mutex.lock_shared();
}
void StepsLock::unlock_shared() {
  native_->mutex.unlock_shared();
}

void RemoveTemporariesOnSignals() {
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
}

}  // namespace aspconv
