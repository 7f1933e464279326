// memcopy: the baseline for aspconv. It reads standard input whole, copies it once in memory and
// writes the copy, the same I/O as the converter with no conversion.
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "app/read_input.h"

int main() {
  std::string input;
  if (!aspclip::ReadAll(stdin, input)) return 1;
  const auto copy = std::make_unique_for_overwrite<char[]>(input.size());
  std::memcpy(copy.get(), input.data(), input.size());
  return std::fwrite(copy.get(), 1, input.size(), stdout) == input.size() ? 0 : 1;
}
