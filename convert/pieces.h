// How the stages hand text on. Each stage writes into a buffer of bounded size; whenever it is full
// the next stage takes what it can judge, and leaves a short tail that it can judge only with the
// text behind it. So no stage ever holds more than a buffer of the page or of the code.
#pragma once

#include <cstddef>
#include <memory>
#include <string_view>

#include "vb_syntax.h"

namespace aspclip {

#ifndef ASPCLIP_PIECE_BYTES
#define ASPCLIP_PIECE_BYTES (64 * 1024)
#endif
// A test build makes it small, so that pieces end at every place in the text.
inline constexpr std::size_t kPieceBytes = ASPCLIP_PIECE_BYTES;

// The longest tail a stage may leave: the longest word rewritten, and a continuation behind it.
inline constexpr std::size_t kLookAhead = kObjectCreation.size() + kContinuation.size();
static_assert(kPieceBytes > kLookAhead, "a piece must hold more than a stage leaves behind");

class Stage {
 public:
  virtual ~Stage() = default;
  // Takes `text` from its start and returns how much it took. While more text may follow
  // (`final` false) it may leave a tail of at most kLookAhead bytes; with `final` it takes it all.
  virtual std::size_t Take(std::string_view text, bool final) = 0;
};

// Where the converted code goes, in pieces of at most kPieceBytes that never end inside a character
// or between the CR and the LF of a line break.
class CodeSink {
 public:
  virtual ~CodeSink() = default;
  virtual void Put(std::string_view piece) = 0;
};

class PieceWriter {
 public:
  explicit PieceWriter(Stage& next);

  void Put(std::string_view text) {
    if (text.size() <= kPieceBytes - used_) {
      text.copy(buffer_.get() + used_, text.size());
      used_ += text.size();
    } else {
      PutAcrossPieces(text);
    }
  }
  void Put(char c) {
    if (used_ == kPieceBytes) Flush(false);
    buffer_[used_++] = c;
  }
  void PutRepeated(char c, std::size_t count);

  // Hands on what is left and tells the next stage that nothing follows.
  void Finish() { Flush(true); }

 private:
  void PutAcrossPieces(std::string_view text);
  void Flush(bool final);

  Stage& next_;
  std::unique_ptr<char[]> buffer_;
  std::size_t used_ = 0;
};

// The last stage: hands the code to the sink, holding back an unfinished character or line break.
class SinkStage final : public Stage {
 public:
  explicit SinkStage(CodeSink& sink) : sink_(sink) {}
  std::size_t Take(std::string_view text, bool final) override;

 private:
  CodeSink& sink_;
};

}  // namespace aspclip
