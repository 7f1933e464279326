// memcopy: the baseline for aspconv. It reads standard input whole, copies it once in memory and
// writes the copy, the same I/O as the converter with no conversion.
#include <cstdio>
#include <cstring>
#include <memory>

#include "app/read_input.h"

int main() {
  aspclip::InputBuffer input;
  if (!input.ReadAll(stdin)) return 1;
  const std::string_view page = input.view();
  const auto copy = std::make_unique_for_overwrite<char[]>(page.size());
  std::memcpy(copy.get(), page.data(), page.size());
  return std::fwrite(copy.get(), 1, page.size(), stdout) == page.size() ? 0 : 1;
}
