// pagegen SHAPE MEGABYTES [SEED]: writes a generated page on standard output.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "page_generator.h"

int main(int argc, char** argv) {
  const auto shape = argc >= 3 ? bench::ShapeNamed(argv[1]) : std::nullopt;
  if (!shape) {
    std::fprintf(
        stderr,
        "usage: pagegen realistic|short-lines|expressions|one-line|quotes MEGABYTES [SEED]\n");
    return 2;
  }
  const std::size_t bytes = std::strtoull(argv[2], nullptr, 10) << 20;
  const auto seed = static_cast<std::uint32_t>(argc > 3 ? std::strtoul(argv[3], nullptr, 10) : 1);
  const std::string page = bench::GeneratePage(*shape, bytes, seed);
  return std::fwrite(page.data(), 1, page.size(), stdout) == page.size() ? 0 : 1;
}
