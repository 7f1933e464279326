#include "convert/statement_queue.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

namespace aspclip {
namespace {

// Every statement the splitting thread adds comes out once, in order, across many batches, each
// batch handed back to be filled again.
TEST(StatementQueue, HandsOnEveryStatementOnceInOrder) {
  const std::size_t count = StatementQueue::kBatch * 100 + 7;
  const std::string page(count, 'x');  // statement k stands at offset k
  StatementQueue queue;
  std::thread splitter([&] {
    for (std::size_t k = 0; k < count; ++k)
      queue.Add({StatementKind::kCode, std::string_view(page).substr(k, 1)});
    queue.Close();
  });
  std::vector<std::size_t> offsets;
  std::vector<Statement> batch;
  while (queue.Next(batch)) {
    for (const Statement& statement : batch)
      offsets.push_back(static_cast<std::size_t>(statement.text.data() - page.data()));
  }
  splitter.join();
  ASSERT_EQ(offsets.size(), count);
  for (std::size_t k = 0; k < count; ++k)
    ASSERT_EQ(offsets[k], k);
}

// A merger that has failed lets the splitter finish at once; a splitter that has failed ends the
// merger's wait.
TEST(StatementQueue, EitherSideFailingReleasesTheOther) {
  StatementQueue abandoned;
  abandoned.Abandon();
  for (std::size_t k = 0; k < StatementQueue::kBatch * (StatementQueue::kMostBatches + 2); ++k)
    abandoned.Add({StatementKind::kCode, "x"});
  abandoned.Close();

  StatementQueue failed;
  failed.Add({StatementKind::kCode, "x"});
  std::thread splitter([&] { failed.CloseWithoutRest(); });
  std::vector<Statement> batch;
  EXPECT_FALSE(failed.Next(batch));
  splitter.join();
}

}  // namespace
}  // namespace aspclip
