#include "standard_streams.h"

namespace aspclip {

// A Windows program started without a console or handles has no descriptors 0 to 2 to lose: the
// C runtime gives it none, and files opened later never take those numbers.
bool ReopenIfClosed(int) {
  return false;
}

}  // namespace aspclip
