// Table-driven tests of the conversion rules: each row names its rule and gives a text and what a
// pass must make of it.
#pragma once

#include <gtest/gtest.h>

#include <vector>

#include "convert/text_ops.h"

struct RuleRow {
  const char* rule;
  aspclip::Text input;
  aspclip::Text expected;
};

// Runs `pass` (which rewrites a text in place) on each row's input.
template <typename Pass>
void ExpectRows(const std::vector<RuleRow>& rows, Pass pass) {
  for (const RuleRow& row : rows) {
    aspclip::Text text = row.input;
    pass(text);
    EXPECT_EQ(text, row.expected) << row.rule;
  }
}
