// Throughput of each stage and of the whole conversion, in bytes of UTF-8 page per second.
#include <benchmark/benchmark.h>

#include <map>

#include "convert/pipeline.h"
#include "page_generator.h"
#include "text/utf8.h"

namespace {

constexpr std::size_t kPageBytes = 16 << 20;

const std::string& PageBytes(bench::Shape shape) {
  static std::map<bench::Shape, std::string> pages;
  auto [it, added] = pages.try_emplace(shape);
  if (added) it->second = bench::GeneratePage(shape, kPageBytes, 1);
  return it->second;
}

// Takes everything and keeps nothing.
class Discard final : public aspclip::Stage, public aspclip::CodeSink {
 public:
  std::size_t Take(std::string_view text, bool) override {
    benchmark::DoNotOptimize(text.data());
    return text.size();
  }
  void Put(std::string_view piece) override { benchmark::DoNotOptimize(piece.data()); }
};

void SetPageBytes(benchmark::State& state, std::size_t bytes) {
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes));
}

// The check of a page that aspconv makes before it converts, on one thread.
void BM_ScanUtf8(benchmark::State& state) {
  const std::string& page = PageBytes(bench::Shape::kRealistic);
  for (auto _ : state)
    benchmark::DoNotOptimize(aspclip::ScanUtf8InParts(page, 1));
  SetPageBytes(state, page.size());
}

void BM_SplitScriptBlocks(benchmark::State& state) {
  const std::string& page = PageBytes(bench::Shape::kRealistic);
  for (auto _ : state) {
    Discard out;
    aspclip::RunStages(page, aspclip::StageName::kScriptBlocks, aspclip::StageName::kScriptBlocks,
                       out, aspclip::kDefaultPieceBytes);
  }
  SetPageBytes(state, page.size());
}

// The split and merge stages together; the rewrites then make the difference to the whole.
void BM_SplitAndMerge(benchmark::State& state) {
  const std::string& page = PageBytes(bench::Shape::kRealistic);
  for (auto _ : state) {
    Discard out;
    aspclip::RunStages(page, aspclip::StageName::kScriptBlocks, aspclip::StageName::kWriteMerge,
                       out, aspclip::kDefaultPieceBytes);
  }
  SetPageBytes(state, page.size());
}

void BM_ConvertAspCode(benchmark::State& state) {
  const auto shape = static_cast<bench::Shape>(state.range(0));
  state.SetLabel(bench::ShapeName(shape));
  const std::string& page = PageBytes(shape);
  for (auto _ : state) {
    Discard out;
    aspclip::ConvertAspCode(page, out);
  }
  SetPageBytes(state, page.size());
}

}  // namespace

BENCHMARK(BM_ScanUtf8)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SplitScriptBlocks)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SplitAndMerge)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ConvertAspCode)->DenseRange(0, 4)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
