// How the stages hand text on. Each stage writes into a buffer of bounded size; whenever it is full
// the next stage takes what it can judge, and leaves a short tail that it can judge only with the
// text behind it. So no stage ever holds more than a buffer of the page or of the code.
#pragma once

#include <cstddef>
#include <cstring>
#include <memory>
#include <string_view>

#include "base/blocks.h"

#ifndef ASPCLIP_PIECE_BYTES
#define ASPCLIP_PIECE_BYTES (64 * 1024)
#endif

namespace aspclip::inline ASPCLIP_SCAN_NAMESPACE {

// The size of the pieces the stages hand on, unless a chain is given another; a test build makes
// it small, so that pieces end at every place in the text.
inline constexpr std::size_t kDefaultPieceBytes = ASPCLIP_PIECE_BYTES;

// A stage declares, as kLookAhead, the longest tail it may leave untaken.
class Stage {
 public:
  virtual ~Stage() = default;
  // Takes `text` from its start and returns how much it took. While more text may follow
  // (`final` false) it may leave a tail of at most its look-ahead; with `final` it takes it all.
  virtual std::size_t Take(std::string_view text, bool final) = 0;
};

// Where the converted code goes, in pieces that never end inside a character or between the CR
// and the LF of a line break.
class CodeSink {
 public:
  virtual ~CodeSink() = default;
  virtual void Put(std::string_view piece) = 0;
};

namespace piece_detail {

// Copies `size` bytes. Most texts a stage puts are a few words long, which two moves of a fixed
// size cover, overlapping in the middle, without a call to memcpy.
inline void CopyBytes(char* to, const char* from, std::size_t size) {
  const auto twoMoves = [&]<std::size_t kMove>() {
    char head[kMove], tail[kMove];
    std::memcpy(head, from, kMove);
    std::memcpy(tail, from + size - kMove, kMove);
    std::memcpy(to, head, kMove);
    std::memcpy(to + size - kMove, tail, kMove);
  };
  if (size >= 16) {
    if (size > 32) {
      std::memcpy(to, from, size);
    } else {
      twoMoves.template operator()<16>();
    }
  } else if (size >= 8) {
    twoMoves.template operator()<8>();
  } else if (size >= 4) {
    twoMoves.template operator()<4>();
  } else if (size > 0) {
    to[0] = from[0];
    to[size / 2] = from[size / 2];
    to[size - 1] = from[size - 1];
  }
}

}  // namespace piece_detail

// Collects what a stage writes into pieces of `pieceBytes` for the next stage, which must be more
// than the next stage's look-ahead.
class PieceWriter {
 public:
  PieceWriter(Stage& next, std::size_t pieceBytes);

  void Put(std::string_view text) {
    if (text.size() <= pieceBytes_ - used_) {
      piece_detail::CopyBytes(buffer_.get() + used_, text.data(), text.size());
      used_ += text.size();
    } else {
      PutAcrossPieces(text);
    }
  }
  void Put(char c) {
    if (used_ == pieceBytes_) Flush(false);
    buffer_[used_++] = c;
  }

  // Hands on what is left and tells the next stage that nothing follows.
  void Finish() { Flush(true); }

  // Room for `most` bytes written straight into the piece, made by handing on what it holds if
  // need be; none when a piece cannot hold that many. Commit then says where the writing ended.
  char* Room(std::size_t most) {
    if (most > pieceBytes_ - used_) Flush(false);
    return most <= pieceBytes_ - used_ ? buffer_.get() + used_ : nullptr;
  }
  void Commit(const char* end) { used_ = static_cast<std::size_t>(end - buffer_.get()); }

 private:
  void PutAcrossPieces(std::string_view text);
  void Flush(bool final);

  Stage& next_;
  std::size_t pieceBytes_;
  std::unique_ptr<char[]> buffer_;
  std::size_t used_ = 0;
};

// Writes into Room made in a piece, with no check of its own: for a text whose most bytes are
// known, which then goes without a check for each of its many short parts.
class RoomWriter {
 public:
  explicit RoomWriter(char* at) : at_(at) {}
  void Put(std::string_view text) {
    piece_detail::CopyBytes(at_, text.data(), text.size());
    at_ += text.size();
  }
  void Put(char c) { *at_++ = c; }
  const char* end() const { return at_; }

 private:
  char* at_;
};

// The last stage: hands the code to the sink, holding back an unfinished character or line break.
class SinkStage final : public Stage {
 public:
  // The longest unfinished character: a four-byte sequence without its last byte.
  static constexpr std::size_t kLookAhead = 3;

  explicit SinkStage(CodeSink& sink) : sink_(sink) {}
  std::size_t Take(std::string_view text, bool final) override;

 private:
  CodeSink& sink_;
};

}  // namespace aspclip::inline ASPCLIP_SCAN_NAMESPACE
