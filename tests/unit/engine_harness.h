// Runs the engine, or some of its stages, on UTF-16 text as the rule tables and the reference
// write it: the text goes in as WTF-8, and what comes out is read back as UTF-16. Both builds of
// the engine, with vector scans and with plain loops, are here, each at any piece size.
#pragma once

#include <cstddef>

#include "reference_text_ops.h"

namespace harness {

using reference::Text;

struct Engine {
  const char* name;
  std::size_t smallestPieceBytes, defaultPieceBytes;
  Text (*convertAspCode)(const Text& page, std::size_t pieceBytes);
  // The page in chunks of about `chunkBytes`, by `workers` at once.
  Text (*convertInChunks)(const Text& page, std::size_t chunkBytes, unsigned workers);
  std::size_t (*chunkCount)(const Text& page, std::size_t chunkBytes);
  Text (*splitScriptBlocks)(const Text& page, std::size_t pieceBytes);
  // The write-merging stage and the rewrites behind it.
  Text (*mergeWriteRuns)(const Text& statements, std::size_t pieceBytes);
  // The literal of one markup piece; two quotes alone where the markup has nothing to write.
  Text (*markupToLiteral)(const Text& markup, std::size_t pieceBytes);
  // Whether each piece of the page's code that reaches the sink ends where a character and a line
  // break do, as a sink that encodes piece by piece needs.
  bool (*cutsCleanly)(const Text& page, std::size_t pieceBytes);
};

const Engine& VectorEngine();
const Engine& PlainEngine();

// The engine as the programs run it.
inline Text ConvertAspCode(const Text& page) {
  return VectorEngine().convertAspCode(page, VectorEngine().defaultPieceBytes);
}
inline Text SplitScriptBlocks(const Text& page) {
  return VectorEngine().splitScriptBlocks(page, VectorEngine().defaultPieceBytes);
}
inline Text MergeWriteRuns(const Text& statements) {
  return VectorEngine().mergeWriteRuns(statements, VectorEngine().defaultPieceBytes);
}
inline Text MarkupToLiteral(const Text& markup) {
  return VectorEngine().markupToLiteral(markup, VectorEngine().defaultPieceBytes);
}

}  // namespace harness
