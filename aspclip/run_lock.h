// One run at a time on a desktop: a start while another run converts or shows its box converts
// nothing, and brings that run's box to the front. The system releases the lock when its process
// ends, however it ends, and no other user can plant or hold it. The run that holds it publishes
// its box, so that a second start can find it.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace aspclip {

class RunLock {
 public:
  // `desktop` names what the runs share: on Linux the display, whose lock is a file named after it
  // in the user's runtime folder (or a folder of the user's own in the temporary one); Windows
  // keeps the lock in the session, which needs no name.
  explicit RunLock(const std::string& desktop);
  ~RunLock();
  RunLock(const RunLock&) = delete;
  RunLock& operator=(const RunLock&) = delete;

  // False when another run holds the lock. A lock that cannot be had at all (no place to keep it)
  // does not stop the run.
  bool TryTake();
  // Where a second start finds this run's box: its window, or on Wayland the process that shows
  // it. Only the run that holds the lock publishes.
  void PublishBox(std::uintptr_t box);
  // The box of the run that holds the lock; 0 while it shows none.
  std::uintptr_t PublishedBox() const;
  void Release();

 private:
  struct Held;  // each platform's own: a file, or a mutex and the memory the box is published in
  std::unique_ptr<Held> held_;
};

}  // namespace aspclip
