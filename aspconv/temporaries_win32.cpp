#include <windows.h>

#include "temporaries.h"
#include "temporaries_lock.h"

namespace aspconv {
namespace {

BOOL WINAPI OnConsoleEvent(DWORD) {
  RemoveTemporariesForGood();
  return FALSE;  // the system's own handler ends the process
}

}  // namespace

struct StepsLock::Native {
  SRWLOCK lock = SRWLOCK_INIT;
};

StepsLock::StepsLock() : native_(std::make_unique<Native>()) {}
StepsLock::~StepsLock() = default;
void StepsLock::lock() {
  AcquireSRWLockExclusive(&native_->lock);
}
void StepsLock::unlock() {
  ReleaseSRWLockExclusive(&native_->lock);
}
void StepsLock::lock_shared() {
  AcquireSRWLockShared(&native_->lock);
}
void StepsLock::unlock_shared() {
  ReleaseSRWLockShared(&native_->lock);
}

void RemoveTemporariesOnSignals() {
  SetConsoleCtrlHandler(OnConsoleEvent, TRUE);
}

}  // namespace aspconv
