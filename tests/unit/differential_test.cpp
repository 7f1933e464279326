// The engine against the step-by-step reference, on seeded random pages made of the tokens the
// rules turn on.
#include <gtest/gtest.h>

#include <random>

#include "engine_harness.h"
#include "page_tokens.h"
#include "reference_engine.h"

namespace {

TEST(Differential, EngineMatchesReferenceOnRandomPages) {
  constexpr int kPages = 20000;
  for (int seed = 0; seed < kPages; ++seed) {
    std::mt19937 random(seed);
    std::vector<std::uint32_t> choices(random() % 64);
    for (auto& choice : choices)
      choice = random() % (page_tokens::Tokens().size() * 4);
    const reference::Text page = page_tokens::PageOf(choices);
    reference::Text expected = page;
    reference::ConvertAspCode(expected);
    ASSERT_EQ(harness::ConvertAspCode(page), expected)
        << "seed " << seed << ", page " << testing::PrintToString(page);
  }
}

TEST(Differential, EngineMatchesReferenceOnEachPass) {
  for (int seed = 0; seed < 2000; ++seed) {
    std::mt19937 random(seed);
    std::vector<std::uint32_t> choices(random() % 32);
    for (auto& choice : choices)
      choice = random() % (page_tokens::Tokens().size() * 4);
    const reference::Text page = page_tokens::PageOf(choices);
    ASSERT_EQ(harness::MarkupToLiteral(page), reference::MarkupToLiteral(page)) << seed;
  }
}

}  // namespace
