// memcopy: the baseline for aspconv. It takes standard input as aspconv does, copies it once in
// memory through a buffer of the engine's piece size and writes each piece: the same I/O as the
// converter with no conversion.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>

#include "convert/stage.h"
#include "text/input.h"

int main() {
  aspclip::InputBuffer input;
  if (!input.ReadAll(fileno(stdin)).ok()) return 1;
  const std::string_view page = input.view();
  const auto piece = std::make_unique_for_overwrite<char[]>(aspclip::kDefaultPieceBytes);
  for (std::size_t at = 0; at < page.size(); at += aspclip::kDefaultPieceBytes) {
    const std::size_t size = std::min(aspclip::kDefaultPieceBytes, page.size() - at);
    std::memcpy(piece.get(), page.data() + at, size);
    if (std::fwrite(piece.get(), 1, size, stdout) != size) return 1;
  }
  return std::fflush(stdout) == 0 ? 0 : 1;
}
