// Throughput of each pass and of the whole conversion, in bytes of UTF-8 page per second.
#include <benchmark/benchmark.h>

#include <map>

#include "app/text_encoding.h"
#include "convert/markup_literal.h"
#include "convert/object_creation.h"
#include "convert/pipeline.h"
#include "convert/script_blocks.h"
#include "convert/write_merge.h"
#include "page_generator.h"

namespace {

constexpr std::size_t kPageBytes = 16 << 20;

const std::string& PageBytes(bench::Shape shape) {
  static std::map<bench::Shape, std::string> pages;
  auto [it, added] = pages.try_emplace(shape);
  if (added) it->second = bench::GeneratePage(shape, kPageBytes, 1);
  return it->second;
}

aspclip::Text PageText(bench::Shape shape) {
  return aspclip::DecodeUtf8(PageBytes(shape), aspclip::LineBreaks::kToCrLf).text;
}

// Runs `pass` on a fresh copy of `input` each iteration; the copy is not timed.
template <typename Pass>
void RunPass(benchmark::State& state, const aspclip::Text& input, std::size_t pageBytes,
             Pass pass) {
  for (auto _ : state) {
    state.PauseTiming();
    aspclip::Text text = input;
    state.ResumeTiming();
    pass(text);
    benchmark::DoNotOptimize(text.data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * pageBytes));
}

void BM_DecodeUtf8(benchmark::State& state) {
  const std::string& bytes = PageBytes(bench::Shape::kRealistic);
  for (auto _ : state) {
    benchmark::DoNotOptimize(aspclip::DecodeUtf8(bytes, aspclip::LineBreaks::kToCrLf));
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes.size()));
}

void BM_EncodeUtf8(benchmark::State& state) {
  aspclip::Text text = PageText(bench::Shape::kRealistic);
  aspclip::ConvertAspCode(text);
  for (auto _ : state) {
    benchmark::DoNotOptimize(aspclip::EncodeUtf8(text, aspclip::LineBreaks::kAsIs));
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kPageBytes));
}

void BM_MarkupToLiteral(benchmark::State& state) {
  const aspclip::Text markup = PageText(bench::Shape::kShortLines);
  for (auto _ : state)
    benchmark::DoNotOptimize(aspclip::MarkupToLiteral(markup));
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kPageBytes));
}

void BM_SplitScriptBlocks(benchmark::State& state) {
  RunPass(state, PageText(bench::Shape::kRealistic), kPageBytes, aspclip::SplitScriptBlocks);
}

void BM_MergeWriteRuns(benchmark::State& state) {
  aspclip::Text statements = PageText(bench::Shape::kRealistic);
  aspclip::SplitScriptBlocks(statements);
  RunPass(state, statements, kPageBytes, aspclip::MergeWriteRuns);
}

void BM_RewriteObjectCreation(benchmark::State& state) {
  aspclip::Text code = PageText(bench::Shape::kRealistic);
  aspclip::SplitScriptBlocks(code);
  aspclip::MergeWriteRuns(code);
  RunPass(state, code, kPageBytes, aspclip::RewriteObjectCreation);
}

void BM_ConvertAspCode(benchmark::State& state) {
  const auto shape = static_cast<bench::Shape>(state.range(0));
  state.SetLabel(bench::ShapeName(shape));
  RunPass(state, PageText(shape), PageBytes(shape).size(), aspclip::ConvertAspCode);
}

}  // namespace

BENCHMARK(BM_DecodeUtf8)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EncodeUtf8)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MarkupToLiteral)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SplitScriptBlocks)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MergeWriteRuns)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RewriteObjectCreation)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ConvertAspCode)->DenseRange(0, 4)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
