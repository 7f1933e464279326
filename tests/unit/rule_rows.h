// Table-driven tests of the conversion rules: each row names its rule and gives a text and what a
// stage must make of it.
#pragma once

#include <gtest/gtest.h>

#include <vector>

#include "reference_text_ops.h"

using reference::Text;

struct RuleRow {
  const char* rule;
  Text input;
  Text expected;
};

// Runs `stage` (text in, text out) on each row's input.
template <typename Stage>
void ExpectRows(const std::vector<RuleRow>& rows, Stage stage) {
  for (const RuleRow& row : rows)
    EXPECT_EQ(stage(row.input), row.expected) << row.rule;
}

// `n` characters beyond the BMP: four bytes each in UTF-8, two units in UTF-16, and measured two.
inline Text Emoji(std::size_t n) {
  Text text;
  for (std::size_t i = 0; i < n; ++i)
    text += u"\xD83D\xDE00";
  return text;
}
