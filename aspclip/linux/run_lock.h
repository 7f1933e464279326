// One run at a time on a display: a start while another run converts or shows its box converts
// nothing. The lock is on a file named after the display, in the user's runtime folder or else in
// a folder of the user's own under the temporary one, and the system releases it when the process
// ends, however it ends. No other user can plant the file or hold the lock. The run that holds it
// writes its box's window there, so that a second start can bring that box to the front.
#pragma once

#include <string>

namespace aspclip {

class RunLock {
 public:
  explicit RunLock(const std::string& displayName);
  ~RunLock();
  RunLock(const RunLock&) = delete;
  RunLock& operator=(const RunLock&) = delete;

  // False when another run holds the lock. A lock that cannot be had at all (no place to keep
  // its file) does not stop the run.
  bool TryTake();
  void PublishBox(unsigned long window);
  // The window of the box of the run that holds the lock; 0 while it shows none.
  unsigned long PublishedBox() const;
  void Release();

 private:
  int fd_ = -1;
};

}  // namespace aspclip
