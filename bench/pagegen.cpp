// pagegen SHAPE MEGABYTES [SEED]: writes a generated page on standard output.
// pagegen site DIR PAGES [SEED]: writes a site of realistic pages of 2 to 20 KB into DIR, spread
// over nested folders.
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "page_generator.h"

namespace {

constexpr char kUsage[] =
    "usage: pagegen realistic|short-lines|expressions|one-line|quotes MEGABYTES [SEED]\n"
    "       pagegen site DIR PAGES [SEED]\n";

std::uint32_t SeedFrom(int argc, char** argv) {
  return static_cast<std::uint32_t>(argc > 3 ? std::strtoul(argv[3], nullptr, 10) : 1);
}

// Folders three deep, ten to a folder, as a site's sections and their subsections.
int WriteSite(const std::filesystem::path& root, int pages, std::uint32_t seed) {
  constexpr std::size_t kSmallest = 2 << 10, kLargest = 20 << 10;
  constexpr int kFoldersPerLevel = 10;
  std::mt19937 random(seed);
  for (int page = 0; page < pages; ++page) {
    std::filesystem::path folder = root;
    for (int level = 0, n = page; level < 3; ++level, n /= kFoldersPerLevel) {
      folder /= "section" + std::to_string(n % kFoldersPerLevel);
    }
    std::filesystem::create_directories(folder);
    const std::size_t bytes = kSmallest + random() % (kLargest - kSmallest);
    std::ofstream out(folder / ("page" + std::to_string(page) + ".asp"), std::ios::binary);
    out << bench::GeneratePage(bench::Shape::kRealistic, bytes, random());
    if (!out) return 1;
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc >= 4 && std::string(argv[1]) == "site") {
    return WriteSite(argv[2], std::atoi(argv[3]), argc > 4 ? std::strtoul(argv[4], nullptr, 10) : 1);
  }
  const auto shape = argc >= 3 ? bench::ShapeNamed(argv[1]) : std::nullopt;
  if (!shape) {
    std::fputs(kUsage, stderr);
    return 2;
  }
  const std::size_t bytes = std::strtoull(argv[2], nullptr, 10) << 20;
  const std::string page = bench::GeneratePage(*shape, bytes, SeedFrom(argc, argv));
  return std::fwrite(page.data(), 1, page.size(), stdout) == page.size() ? 0 : 1;
}
