#include "run_lock.h"

namespace aspclip {

RunLock::RunLock() : mutex_(CreateMutexW(nullptr, FALSE, L"Local\\aspclip-run")) {
  const DWORD waited = mutex_ != nullptr ? WaitForSingleObject(mutex_, 0) : WAIT_FAILED;
  owned_ = waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED;
  heldElsewhere_ = waited == WAIT_TIMEOUT;
}

RunLock::~RunLock() {
  if (owned_) ReleaseMutex(mutex_);
  if (mutex_ != nullptr) CloseHandle(mutex_);
}

}  // namespace aspclip
