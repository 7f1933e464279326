#include "stage.h"

#include <algorithm>
#include <cstring>

#include "base/characters.h"

namespace aspclip::inline ASPCLIP_SCAN_NAMESPACE {
namespace {

// Where the text may be cut so that neither side holds part of a character or of a line break.
std::size_t SafeCut(std::string_view text) {
  std::size_t lead = text.size();
  while (lead > 0 && text.size() - lead < SinkStage::kLookAhead &&
         IsContinuationByte(text[lead - 1]))
    --lead;
  if (lead > 0 && !IsContinuationByte(text[lead - 1])) {
    --lead;
    if (lead + SequenceLength(text[lead]) <= text.size()) lead = text.size();
  }
  if (lead > 0 && lead == text.size() && text[lead - 1] == '\r') --lead;
  return lead;
}

}  // namespace

PieceWriter::PieceWriter(Stage& next, std::size_t pieceBytes)
    : next_(next), pieceBytes_(pieceBytes), buffer_(new char[pieceBytes]) {}

void PieceWriter::PutAcrossPieces(std::string_view text) {
  while (!text.empty()) {
    if (used_ == pieceBytes_) Flush(false);
    const std::size_t room = std::min(pieceBytes_ - used_, text.size());
    text.copy(buffer_.get() + used_, room);
    used_ += room;
    text.remove_prefix(room);
  }
}

void PieceWriter::Flush(bool final) {
  const std::size_t taken = next_.Take(std::string_view(buffer_.get(), used_), final);
  std::memmove(buffer_.get(), buffer_.get() + taken, used_ - taken);
  used_ -= taken;
}

std::size_t SinkStage::Take(std::string_view text, bool final) {
  const std::size_t cut = final ? text.size() : SafeCut(text);
  if (cut > 0) sink_.Put(text.substr(0, cut));
  return cut;
}

}  // namespace aspclip::inline ASPCLIP_SCAN_NAMESPACE
