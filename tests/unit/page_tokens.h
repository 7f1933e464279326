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

// Each choice picks one token; the case of the statement words varies with the choice.
inline reference::Text PageOf(const std::vector<std::uint32_t>& choices) {
  reference::Text page;
  for (std::uint32_t choice : choices) {
    reference::Text token = Tokens()[choice % Tokens().size()];
    std::uint32_t caseBits = choice / static_cast<std::uint32_t>(Tokens().size());
    for (char16_t& c : token) {
      const bool letter = (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
      if (letter && (caseBits & 1)) c ^= 0x20;
      if (letter) caseBits >>= 1;
    }
    page += token;
  }
  return page;
}

}  // namespace page_tokens
