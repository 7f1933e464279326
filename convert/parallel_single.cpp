// Without threads the page converts whole on the calling thread: the code is the same.
#include "parallel.h"
#include "pipeline.h"

namespace aspclip::inline ASPCLIP_SCAN_NAMESPACE {

void ConvertAspCodeInChunks(std::string_view page, CodeSink& sink, unsigned, std::size_t,
                            std::size_t pieceBytes) {
  ConvertAspCode(page, sink, pieceBytes);
}

}  // namespace aspclip::inline ASPCLIP_SCAN_NAMESPACE
