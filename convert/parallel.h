// The engine on every core: a page cut into chunks that several workers convert at once, their
// code handed on in the chunks' order.
#pragma once

#include <cstddef>
#include <string_view>

#include "stage.h"

namespace aspclip::inline ASPCLIP_SCAN_NAMESPACE {

// The size of the chunks a page is converted in by several workers. Each worker holds a chunk's
// code until every chunk before it is handed on: chunks this small keep that code in memory the
// worker has touched before, which costs far less than fresh memory, and make the last chunk
// leave the other workers idle only briefly; starting a chunk and waiting for its turn still
// cost little beside converting it.
inline constexpr std::size_t kDefaultChunkBytes = 64 << 10;
// A chunk's code waits for its turn in the last piece of its chain, which holds this many bytes
// for each byte of a chunk: code runs to a little over twice its page at most, where its lines
// are short, and a larger chunk's code waits as it is made.
inline constexpr std::size_t kChunkCodeBytesPerByte = 4;

// As ConvertAspCode, with `workers` converting chunks of the page at once, and the sink handed
// each chunk's code in order, from whichever worker made it. A page that is one chunk, though
// larger than one, is split on a thread of its own while it is merged. The code is the same.
void ConvertAspCodeInChunks(std::string_view page, CodeSink& sink, unsigned workers,
                            std::size_t chunkBytes = kDefaultChunkBytes,
                            std::size_t pieceBytes = kDefaultPieceBytes);

}  // namespace aspclip::inline ASPCLIP_SCAN_NAMESPACE
