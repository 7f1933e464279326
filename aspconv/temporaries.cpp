#include "temporaries.h"

#include <set>

#include "temporaries_lock.h"

namespace aspconv {
namespace {

// Steps take it shared, so that workers make and rename their temporaries side by side; the
// signal takes it alone, and for good: it waits for the steps under way, and a step that would
// follow waits forever, which the end of the process ends. The set of names has a lock of its own.
// None of them is ever destroyed: a signal may come while the process exits.
StepsLock& steps = *new StepsLock;
StepsLock& names = *new StepsLock;
std::set<std::filesystem::path>& known = *new std::set<std::filesystem::path>;

// Adds or forgets a name, under the names' own lock.
void Know(const std::filesystem::path& path, Temporary afterwards) {
  names.lock();
  try {
    if (afterwards == Temporary::kKnown) {
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

}  // namespace

void RemoveTemporariesForGood() {
  steps.lock();
  for (const std::filesystem::path& path : known) {
    std::error_code ignored;
    std::filesystem::remove(path, ignored);
  }
}

void WithTemporary(const std::filesystem::path& path, Temporary afterwards,
                   const std::function<void()>& step) {
  struct Held {
    Held() { steps.lock_shared(); }
    ~Held() { steps.unlock_shared(); }
  } held;
  if (afterwards == Temporary::kKnown) Know(path, afterwards);
  step();
  if (afterwards == Temporary::kForgotten) Know(path, afterwards);
}

}  // namespace aspconv
