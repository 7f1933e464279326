// What the temporaries' bookkeeping and each platform's part of it share.
#pragma once

#include <memory>

namespace aspconv {

// A lock that many take shared or one alone: the platform's own, where the toolchain has no
// std::shared_mutex.
class StepsLock {
 public:
  StepsLock();
  ~StepsLock();
  StepsLock(const StepsLock&) = delete;
  StepsLock& operator=(const StepsLock&) = delete;

  void lock();
  void unlock();
  void lock_shared();
  void unlock_shared();

 private:
  struct Native;
  std::unique_ptr<Native> native_;
};

// What a signal does before the run ends: waits for the steps under way, keeps any other from
// starting, and removes every temporary known.
void RemoveTemporariesForGood();

}  // namespace aspconv
