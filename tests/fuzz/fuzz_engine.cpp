// libFuzzer target: the engine and the reference must agree on every page, whole or in chunks.
// The input picks tokens (two bytes each) so that delimiters, quotes and line breaks meet in every
// combination; an odd trailing byte is added as a raw code unit.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "engine_harness.h"
#include "page_tokens.h"
#include "reference_engine.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::vector<std::uint32_t> choices;
  for (std::size_t i = 0; i + 1 < size; i += 2)
    choices.push_back(data[i] | (data[i + 1] << 8));
  reference::Text page = page_tokens::PageOf(choices);
  if (size % 2 == 1) page += static_cast<char16_t>(data[size - 1] | 0x80);
  reference::Text expected = page;
  reference::ConvertAspCode(expected);
#if defined(ASPCLIP_FUZZ_PLAIN_ENGINE)
  const harness::Engine& engine = harness::PlainEngine();
#else
  const harness::Engine& engine = harness::VectorEngine();
#endif
  if (engine.convertAspCode(page, engine.defaultPieceBytes) != expected) std::abort();
  // Cut at every place it may be, the page converts the same.
  if (engine.convertInChunks(page, 1, 1) != expected) std::abort();
  return 0;
}
