#include "text/charset.h"
#include "text/line_breaks.h"
#include "text/utf8.h"
#include "text/wtf8.h"

#include <sys/mman.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "base/scan.h"
#include "base/workers.h"

namespace aspclip {
namespace {

TEST(TextEncoding, FindsTheFirstBadSequence) {
  struct Case {
    std::string bytes;
    std::size_t offset;
  };
  const Case cases[] = {
      {"", kNotFound},
      {"caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80 \xF4\x8F\xBF\xBF", kNotFound},
      {std::string("a\0b", 3), kNotFound},
      {"caf\xE9", 3},           // Latin-1
      {"ab\xC3", 2},            // cut short
      {"\xC3\x28", 0},          // no continuation byte
      {"a\x80", 1},             // lone continuation byte
      {"\xC0\xAF", 0},          // overlong
      {"\xE0\x80\xAF", 0},      // overlong
      {"x\xED\xA0\x80", 1},     // surrogate
      {"\xF4\x90\x80\x80", 0},  // past U+10FFFF
      {"\xF5\x80\x80\x80", 0},  // no such lead byte
      {"ok\xF0\x9F\x98", 2},    // emoji cut short
      {"sixteen ascii by\xFF", 16},
  };
  for (const Case& c : cases)
    EXPECT_EQ(FindInvalidUtf8(c.bytes), c.offset) << c.bytes;
}

// A large page is scanned in parts at once: cut anywhere, as into one part for each byte, it is
// judged as it is whole, a character or a CR LF on a cut included.
TEST(TextEncoding, ScanInPartsJudgesAsTheWhole) {
  struct Case {
    std::string bytes;
    std::size_t badByte, loneLineBreaks;
  };
  const std::string longLine(70, 'a');  // more than the four blocks scanned at once
  const Case cases[] = {
      {"a\r\nb\r\nc\r\n", kNotFound, 0},
      {"\na\rb\n\rc\r", kNotFound, 5},
      {"\r\n\r\n\n\n\r\r", kNotFound, 4},
      {longLine + "\r\n" + longLine + "\n" + longLine + "\r", kNotFound, 2},
      {"caf\xC3\xA9\r\n\xE2\x82\xAC\n\xF0\x9F\x98\x80\r\n", kNotFound, 1},
      {"ab\r\ncd\xE2\x82", 6, 0},
      {longLine + "\xF0\x9F\x98\x80\r\n\xC3\x28" + longLine, 76, 0},
      {"\n\n\xFF\n\x80", 2, 0},
  };
  for (const Case& c : cases) {
    for (std::size_t parts = 1; parts <= c.bytes.size() + 1; ++parts) {
      const Utf8Scan scan = ScanUtf8InParts(c.bytes, parts);
      EXPECT_EQ(scan.badByte, c.badByte) << testing::PrintToString(c.bytes) << " in " << parts;
      if (c.badByte == kNotFound) {
        EXPECT_EQ(scan.loneLineBreaks, c.loneLineBreaks)
            << testing::PrintToString(c.bytes) << " in " << parts;
      }
    }
  }
}

// Each check, with the widest vectors the processor has and with those every one has, finds a
// fault, passes a character and counts a lone line break at every place among the stretches and
// blocks it checks at once, in ASCII and in text of two-byte characters.
TEST(TextEncoding, EveryCheckFindsFaultsAnywhere) {
  struct Case {
    std::string bytes;
    std::size_t badByte, loneLineBreaks;  // in `bytes`
  };
  const Case cases[] = {
      {"\xC2\x80", kNotFound, 0},
      {"\xE0\xA0\x80", kNotFound, 0},
      {"\xED\x9F\xBF\xEE\x80\x80", kNotFound, 0},  // each side of the surrogates
      {"\xEF\xBF\xBF\xF0\x90\x80\x80\xF4\x8F\xBF\xBF", kNotFound, 0},
      {"\r", kNotFound, 1},
      {"\n", kNotFound, 1},
      {"\r\n", kNotFound, 0},
      {"\xE9", 0, 0},              // Latin-1
      {"\xC3\x28", 0, 0},          // no continuation byte
      {"\x80", 0, 0},              // lone continuation byte
      {"\xC0\xAF", 0, 0},          // overlong
      {"\xC1\xBF", 0, 0},          // overlong
      {"\xE0\x9F\xBF", 0, 0},      // overlong
      {"\xF0\x8F\xBF\xBF", 0, 0},  // overlong
      {"\xED\xA0\x80", 0, 0},      // surrogate
      {"\xED\xBF\xBF", 0, 0},      // surrogate
      {"\xF4\x90\x80\x80", 0, 0},  // past U+10FFFF
      {"\xF5\x80\x80\x80", 0, 0},  // no such lead byte
      {"\xFF", 0, 0},
      {"\xF0\x9F\x98", 0, 0},          // cut short
      {"\xC3\xA9\x80", 2, 0},          // a continuation too many
      {"\xF0\x9F\x98\x80\x80", 4, 0},  // a continuation too many
      {"\xE2\x82\xAC\xAC", 3, 0},      // a continuation too many
  };
  for (const std::string fill : {"a", "\xC3\xA9"}) {
    for (const Case& c : cases) {
      for (std::size_t before = 0; before < 300; before += fill.size()) {
        for (const std::size_t after : {std::size_t{0}, std::size_t{200}}) {
          std::string bytes;
          for (std::size_t n = 0; n < before; n += fill.size())
            bytes += fill;
          bytes += c.bytes;
          for (std::size_t n = 0; n < after; n += fill.size())
            bytes += fill;
          const std::size_t bad = c.badByte == kNotFound ? kNotFound : before + c.badByte;
          for (const bool wideVectors : {true, false}) {
            const Utf8Scan scan = ScanUtf8InParts(bytes, 1, wideVectors);
            const std::string where = testing::PrintToString(c.bytes) + " after " +
                                      std::to_string(before) + (wideVectors ? ", wide" : "");
            EXPECT_EQ(scan.badByte, bad) << where;
            if (bad == kNotFound) {
              EXPECT_EQ(scan.loneLineBreaks, c.loneLineBreaks) << where;
            }
          }
        }
      }
    }
  }
}

// Each check reads no byte past the text's end: a text that ends where readable memory ends is
// checked whole, at every length among the stretches and blocks and at lengths that are checked in
// parts, in ASCII and in two-byte characters.
TEST(TextEncoding, EveryCheckStopsAtTheTextsEnd) {
  const std::size_t page = static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
  const std::size_t longest = 3 << 20;
  const std::size_t mapped = (longest + page - 1) / page * page + page;
  void* memory = mmap(nullptr, mapped, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  ASSERT_NE(memory, MAP_FAILED);
  char* const guard = static_cast<char*>(memory) + mapped - page;
  ASSERT_EQ(mprotect(guard, page, PROT_NONE), 0);
  std::vector<std::size_t> lengths;
  for (std::size_t n = 2; n <= 1100; n += 2)
    lengths.push_back(n);
  for (const std::size_t n : {kLeastBytesInParts, kLeastBytesInParts + 4096, longest})
    lengths.push_back(n);
  for (const std::string_view fill : {"ab", "\xC3\xA9"}) {
    for (char* at = static_cast<char*>(memory); at < guard; at += fill.size())
      std::copy(fill.begin(), fill.end(), at);
    for (const std::size_t n : lengths) {
      const std::string_view bytes(guard - n, n);
      for (const bool wideVectors : {true, false}) {
        for (const std::size_t parts : {1, 3})
          EXPECT_EQ(ScanUtf8InParts(bytes, parts, wideVectors).badByte, kNotFound) << n;
      }
    }
  }
  munmap(memory, mapped);
}

// A single-byte encoding decodes a large text in parts at once: cut anywhere, it gives the same
// UTF-8 as whole, and names the first byte that is no character wherever it stands.
TEST(TextEncoding, SingleByteDecodingInPartsIsAsWhole) {
  // A toy encoding: ASCII, 0xE9 for U+00E9, 0x80 for U+20AC, and 0x81 for no character.
  SingleByteCharset charset("toy", [](char byte, std::string& utf8) {
    const auto b = static_cast<unsigned char>(byte);
    utf8 = b < 0x80    ? std::string(1, byte)
           : b == 0xE9 ? "\xC3\xA9"
           : b == 0x80 ? "\xE2\x82\xAC"
                       : "";
    return !utf8.empty();
  });
  std::string bytes, expected;
  for (int k = 0; k < 50000; ++k) {  // more than a megabyte, as ToUtf8 takes in parts
    bytes += "caf\xE9 \x80 a line of ASCII\r\n";
    expected += "caf\xC3\xA9 \xE2\x82\xAC a line of ASCII\r\n";
  }
  bytes += '\x80';  // so that no number of parts divides it evenly
  expected += "\xE2\x82\xAC";
  for (std::size_t parts = 1; parts <= 5; ++parts) {
    std::string utf8 = "kept";
    ASSERT_TRUE(charset.ToUtf8InParts(bytes, utf8, parts).ok()) << parts;
    EXPECT_TRUE(utf8 == "kept" + expected) << parts;
  }
  const std::size_t half = bytes.size() / 2;
  for (const std::size_t bad : {std::size_t{0}, half - 1, half, half + 7, bytes.size() - 1}) {
    std::string faulty = bytes;
    faulty[bad] = '\x81';
    if (bad + 2 < faulty.size()) faulty[faulty.size() - 2] = '\x81';  // a later one, never named
    for (std::size_t parts = 1; parts <= 5; ++parts) {
      std::string utf8;
      const Status status = charset.ToUtf8InParts(faulty, utf8, parts);
      EXPECT_EQ(status.reason(),
                "input is not valid toy (bad byte at offset " + std::to_string(bad) + ")")
          << bad << " in " << parts;
    }
  }
}

TEST(TextEncoding, LineBreaksBetweenEngineAndPlatform) {
  EXPECT_EQ(WithCrLf("a\nb\rc\r\nd\n\r"), "a\r\nb\r\nc\r\nd\r\n\r\n");
  EXPECT_EQ(WithCrLf("\r\r\n\n"), "\r\n\r\n\r\n");
  EXPECT_EQ(WithCrLf("no breaks"), "no breaks");
  std::string lf;
  AppendWithLf("a\r\nb\rc\n\r\n", lf);
  EXPECT_EQ(lf, "a\nb\rc\n\n");
}

TEST(TextEncoding, Wtf8CarriesEveryUnitOfUtf16) {
  std::u16string all;
  for (char32_t c = 0; c < 0x10000; ++c)
    all += static_cast<char16_t>(c);  // lone surrogates among them, in both orders
  all += u"\xD800\xDC00\xDBFF\xDFFF\xDC00\xD800";
  const std::string wtf8 = Wtf8FromUtf16(all);
  std::u16string back;
  AppendUtf16(wtf8, back);
  EXPECT_EQ(back, all);
  EXPECT_EQ(Wtf8FromUtf16(u"\xD83D\xDE00"), "\xF0\x9F\x98\x80");  // a pair is one character
  EXPECT_EQ(Wtf8FromUtf16(u"\xD83Dx"), "\xED\xA0\xBDx");
}

}  // namespace
}  // namespace aspclip
