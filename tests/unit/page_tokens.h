// Pages built from the pieces the conversion rules turn on, for the differential test and the
// fuzz target: both compare the engine with the reference on them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "reference_text_ops.h"

namespace page_tokens {

inline const std::vector<reference::Text>& Tokens() {
  static const std::vector<reference::Text> tokens = {
      u"<%",
      u"%>",
      u"=",
      u" ",
      u"  ",
      u"\r\n",
      u"\r",
      u"\n",
      u"\"",
      u"\"\"",
      u"Response.Write ",
      u"Server.CreateObject(",
      u"@!@",
      u"@!",
      u" _\r\n",
      u"\t",
      u"x",
      u"ab",
      u"_",
      u"<",
      u">",
      u"%",
      u"\u00E9",
      u"\xD83D\xDE00",
      u"\xD83D",  // a lone surrogate, which only the Windows clipboard carries
      u"&",
      u"'",
      reference::Text(47, u'a'),
      reference::Text(96, u'b'),
      reference::Text(100, u'c'),
      reference::Text(23, u'"'),
      reference::Text(50, u'"'),
  };
  return tokens;
}

// The case of a token's letters, over the whole token: as written, all lower, all upper, or each
// letter flipped or not by a bit of the variation, spread so that every letter may change.
inline void VaryCase(reference::Text& token, std::uint32_t variation) {
  enum { kAsWritten, kLower, kUpper, kMixed, kWays };
  const std::uint32_t way = variation % kWays;
  std::uint32_t mix = (variation / kWays + 1) * 0x9E3779B1U;  // a few bits reach every letter
  for (char16_t& c : token) {
    const bool upper = c >= u'A' && c <= u'Z', lower = c >= u'a' && c <= u'z';
    if (!upper && !lower) continue;
    const bool flip = way == kLower   ? upper
                      : way == kUpper ? lower
                      : way == kMixed ? (mix & 1) != 0
                                      : false;
    if (flip) c ^= 0x20;
    mix = mix >> 1 | mix << 31;
  }
}

// Each choice picks one token and the case of its letters.
inline reference::Text PageOf(const std::vector<std::uint32_t>& choices) {
  reference::Text page;
  for (std::uint32_t choice : choices) {
    reference::Text token = Tokens()[choice % Tokens().size()];
    VaryCase(token, choice / static_cast<std::uint32_t>(Tokens().size()));
    page += token;
  }
  return page;
}

}  // namespace page_tokens
