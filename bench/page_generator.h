// Seeded pages for the benchmarks: realistic ones, and the shapes that would expose a converter
// that is not linear.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace bench {

enum class Shape {
  kRealistic,    // markup, tables, script and expression blocks, some long lines and non-ASCII
  kShortLines,   // one markup piece with a line break every 10 characters
  kExpressions,  // <%= x %> blocks in a row
  kOneLine,      // one line without a break
  kQuotes,       // nothing but quote characters
};

std::optional<Shape> ShapeNamed(std::string_view name);
const char* ShapeName(Shape shape);

// A page of about `bytes` bytes of UTF-8 (never cut inside a character), with CR LF line breaks.
std::string GeneratePage(Shape shape, std::size_t bytes, std::uint32_t seed);

}  // namespace bench
