// The last stage: rewrites words of the Visual Basic code without touching the text of string
// literals.
#pragma once

#include <cstddef>
#include <string_view>

#include "stage.h"
#include "syntax.h"

namespace aspclip::inline ASPCLIP_SCAN_NAMESPACE {

// Turns every "Response.Write " into "OutputString = OutputString & " and every
// "Server.CreateObject(" into "CreateObject(", in any case, where they stand outside string
// literals. Literals are found per physical line: a quote opens one, two quotes in a row inside it
// are an escaped quote, a single quote closes it, and a line break ends it. The space of a line
// continuation belongs to the continuation, so a word never ends on it; the text's final line
// break continues nothing.
class LiteralSkippingRewriter final : public Stage {
 public:
  // The longest word rewritten, and a continuation behind it.
  static constexpr std::size_t kLookAhead = kObjectCreation.size() + kContinuation.size();

  explicit LiteralSkippingRewriter(PieceWriter& out) : out_(out) {}
  std::size_t Take(std::string_view text, bool final) override;

 private:
  bool LiteralAt(std::string_view text, std::size_t known, std::size_t at) const;

  PieceWriter& out_;
  bool inLiteral_ = false;  // at the start of the text not yet taken
};

}  // namespace aspclip::inline ASPCLIP_SCAN_NAMESPACE
