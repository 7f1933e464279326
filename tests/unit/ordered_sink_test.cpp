// The chunks' code in the chunks' order, whichever worker makes it and whenever.
#include "convert/ordered_sink.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace aspclip {
namespace {

struct StringSink final : CodeSink {
  void Put(std::string_view piece) override { text += piece; }
  std::string text;
};

// Each chunk's worker hands on "k;" (and "k." where its code comes in two pieces); the workers
// start in the order given, each on a thread of its own.
std::string Handed(const std::vector<std::size_t>& startOrder, std::size_t failing,
                   bool& rethrown) {
  StringSink sink;
  OrderedSink ordered(sink);
  std::vector<std::thread> workers;
  for (const std::size_t k : startOrder) {
    workers.emplace_back([&ordered, k, failing] {
      OrderedSink::Chunk chunk(ordered, k);
      if (k == failing) {
        ordered.Fail(std::make_exception_ptr(std::runtime_error("the disk is full")));
        return;
      }
      chunk.Take(std::to_string(k) + ".", false);
      chunk.Take(std::to_string(k) + ";", true);
      chunk.Done();
    });
  }
  for (std::thread& worker : workers)
    worker.join();
  rethrown = false;
  try {
    ordered.RethrowFailure();
  } catch (const std::runtime_error&) {
    rethrown = true;
  }
  return sink.text;
}

constexpr std::size_t kNone = 99;

TEST(OrderedSink, HandsEachChunksCodeOnInTheChunksOrder) {
  const std::vector<std::vector<std::size_t>> orders = {
      {0, 1, 2, 3}, {3, 2, 1, 0}, {2, 0, 3, 1}, {1, 3, 0, 2}};
  for (const auto& order : orders) {
    bool rethrown = true;
    EXPECT_EQ(Handed(order, kNone, rethrown), "0.0;1.1;2.2;3.3;");
    EXPECT_FALSE(rethrown);
  }
}

// A chunk that fails ends the turns of those behind it, whose code is dropped: their workers end
// without waiting and without an exception, and the failure is the conversion's. A chunk before
// it hands on all of its code or, where the failure came before its turn, none.
TEST(OrderedSink, AFailureEndsTheTurnsBehindIt) {
  for (const auto& order : std::vector<std::vector<std::size_t>>{{0, 1, 2, 3}, {3, 2, 1, 0}}) {
    bool rethrown = false;
    const std::string handed = Handed(order, 1, rethrown);
    EXPECT_TRUE(handed == "0.0;" || handed.empty()) << handed;
    EXPECT_TRUE(rethrown);
  }
}

}  // namespace
}  // namespace aspclip
