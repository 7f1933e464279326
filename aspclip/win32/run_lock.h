// One run at a time in the session: a named mutex, which Windows releases when its owner ends,
// however it ends.
#pragma once

#include <windows.h>

namespace aspclip {

class RunLock {
 public:
  RunLock();
  ~RunLock();
  RunLock(const RunLock&) = delete;
  RunLock& operator=(const RunLock&) = delete;

  // True when another run holds the lock. Without a mutex at all the run goes on, as it did
  // before there was one.
  bool HeldElsewhere() const { return heldElsewhere_; }

 private:
  HANDLE mutex_;
  bool owned_ = false;
  bool heldElsewhere_ = false;
};

}  // namespace aspclip
