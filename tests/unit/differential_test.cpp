// The engine against the step-by-step reference, on seeded random pages made of the tokens the
// rules turn on: both builds of the engine, each at the smallest piece its chain allows, at one
// that still cuts nearly every line, and at the programs' own.
#include <gtest/gtest.h>

#include <random>

#include "engine_harness.h"
#include "page_tokens.h"
#include "reference_engine.h"

namespace {

using reference::Text;

struct Variant {
  const harness::Engine* engine;
  std::size_t pieceBytes;
};

std::vector<Variant> Variants() {
  constexpr std::size_t kSmallPiece = 32;
  std::vector<Variant> variants;
  for (const harness::Engine* engine : {&harness::VectorEngine(), &harness::PlainEngine()}) {
    for (const std::size_t piece :
         {engine->smallestPieceBytes, kSmallPiece, engine->defaultPieceBytes})
      variants.push_back({engine, piece});
  }
  return variants;
}

std::string Describe(const Variant& variant, int seed, const Text& page) {
  return std::string(variant.engine->name) + ", pieces of " + std::to_string(variant.pieceBytes) +
         ", seed " + std::to_string(seed) + ", page " + testing::PrintToString(page);
}

Text RandomPage(int seed, std::size_t mostTokens) {
  std::mt19937 random(seed);
  std::vector<std::uint32_t> choices(random() % mostTokens);
  for (auto& choice : choices)
    choice = random();
  return page_tokens::PageOf(choices);
}

TEST(Differential, EngineMatchesReferenceOnRandomPages) {
  constexpr int kPages = 20000;
  const std::vector<Variant> variants = Variants();
  for (int seed = 0; seed < kPages; ++seed) {
    const Text page = RandomPage(seed, 64);
    Text expected = page;
    reference::ConvertAspCode(expected);
    for (const Variant& variant : variants) {
      ASSERT_EQ(variant.engine->convertAspCode(page, variant.pieceBytes), expected)
          << Describe(variant, seed, page);
      ASSERT_TRUE(variant.engine->cutsCleanly(page, variant.pieceBytes))
          << "a piece ends inside a character or line break, " << Describe(variant, seed, page);
    }
  }
}

// Pages of blocks with markup between them, where a page may be cut, and tokens at random in
// the blocks and the markup, which often make the place no cut.
Text BlockyPage(int seed) {
  std::mt19937 random(seed);
  const auto tokens = [&](std::size_t most) {
    return RandomPage(static_cast<int>(random()), most);
  };
  Text page;
  for (auto blocks = random() % 8; blocks > 0; --blocks)
    page += tokens(8) + u"%>" + tokens(4) + u"x<%";
  return page + tokens(8);
}

// A page cut into chunks, at every place it may be cut and at some, by one worker and by two:
// the code is the same as the whole page's.
TEST(Differential, ChunksConvertAsTheWholePage) {
  constexpr int kPages = 5000;
  struct Split {
    std::size_t chunkBytes;
    unsigned workers;
  };
  constexpr Split kSplits[] = {{1, 1}, {1, 2}, {40, 2}};
  std::size_t cutPages = 0;
  for (int seed = 0; seed < kPages; ++seed) {
    for (const Text& page : {RandomPage(seed, 64), BlockyPage(seed)}) {
      Text expected = page;
      reference::ConvertAspCode(expected);
      for (const harness::Engine* engine : {&harness::VectorEngine(), &harness::PlainEngine()}) {
        for (const Split& split : kSplits) {
          ASSERT_EQ(engine->convertInChunks(page, split.chunkBytes, split.workers), expected)
              << engine->name << ", chunks of " << split.chunkBytes << ", " << split.workers
              << " workers, seed " << seed << ", page " << testing::PrintToString(page);
        }
      }
      cutPages += harness::VectorEngine().chunkCount(page, 1) > 1;
    }
  }
  // Not a test that passes because no page is cut.
  EXPECT_GT(cutPages, kPages / 2);
}

// Each stage on its own: the split of a page, the merging and rewrites of statement lines (those
// the reference's split makes, and the page itself read as lines), and one markup piece's literal.
TEST(Differential, EngineMatchesReferenceOnEachPass) {
  constexpr int kPages = 2000;
  const std::vector<Variant> variants = Variants();
  const auto merged = [](Text lines) {
    reference::MergeWriteRuns(lines);
    reference::RewriteObjectCreation(lines);
    return lines;
  };
  for (int seed = 0; seed < kPages; ++seed) {
    const Text page = RandomPage(seed, 32);
    Text statements = page;
    reference::SplitScriptBlocks(statements);
    const Text mergedStatements = merged(statements), mergedPage = merged(page);
    const Text literal = reference::MarkupToLiteral(page);
    for (const Variant& variant : variants) {
      const harness::Engine& engine = *variant.engine;
      const std::size_t piece = variant.pieceBytes;
      const std::string where = Describe(variant, seed, page);
      ASSERT_EQ(engine.splitScriptBlocks(page, piece), statements) << "split, " << where;
      ASSERT_EQ(engine.mergeWriteRuns(statements, piece), mergedStatements) << "merge, " << where;
      ASSERT_EQ(engine.mergeWriteRuns(page, piece), mergedPage) << "merge of the page, " << where;
      ASSERT_EQ(engine.markupToLiteral(page, piece), literal) << "literal, " << where;
    }
  }
}

}  // namespace
