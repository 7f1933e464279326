// aspconv: the converter as a filter, a page on standard input and the code on standard output.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <new>
#include <string>
#include <string_view>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

#include "convert/pipeline.h"
#include "read_input.h"
#include "text_encoding.h"

namespace {

constexpr std::string_view kUsage =
    "usage: aspconv [--raw] < page.asp > page.vb\n"
    "Reads an ASP page (UTF-8) on standard input and writes Visual Basic code that builds its\n"
    "output in OutputString (UTF-8, CR LF line breaks) on standard output.\n"
    "  --raw   pass line breaks to the converter as they are; by default a lone CR or LF\n"
    "          is read as a line break, like CR LF\n"
    "  --help  show this text\n";
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

enum ExitCode { kSuccess = 0, kFailure = 1, kBadInput = 2 };

int Fail(const std::string& message, int exitCode) {
  std::fprintf(stderr, "aspconv: %s\n", message.c_str());
  return exitCode;
}

int Convert(aspclip::LineBreaks breaks) {
  std::string bytes;
  if (!aspclip::ReadAll(stdin, bytes))
    return Fail(std::string("cannot read input: ") + std::strerror(errno), kFailure);
  const std::size_t skipped = bytes.starts_with(kByteOrderMark) ? kByteOrderMark.size() : 0;
  aspclip::Utf8Decoding decoded =
      aspclip::DecodeUtf8(std::string_view(bytes).substr(skipped), breaks);
  if (decoded.errorOffset) {
    return Fail("input is not valid UTF-8 (bad byte at offset " +
                    std::to_string(*decoded.errorOffset + skipped) + ")",
                kBadInput);
  }
  std::string().swap(bytes);
  aspclip::ConvertAspCode(decoded.text);
  const auto write = [](std::string_view piece) {
    return std::fwrite(piece.data(), 1, piece.size(), stdout) == piece.size();
  };
  if (!aspclip::WriteUtf8(decoded.text, aspclip::LineBreaks::kAsIs, write) ||
      std::fflush(stdout) != 0) {
    return Fail(std::string("cannot write output: ") + std::strerror(errno), kFailure);
  }
  return kSuccess;
}

}  // namespace

int main(int argc, char** argv) {
#ifdef _WIN32
  _setmode(_fileno(stdin), _O_BINARY);
  _setmode(_fileno(stdout), _O_BINARY);
#endif
  aspclip::LineBreaks breaks = aspclip::LineBreaks::kToCrLf;
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (arg == "--help") {
      std::fwrite(kUsage.data(), 1, kUsage.size(), stdout);
      return kSuccess;
    }
    if (arg != "--raw") {
      std::fprintf(stderr, "aspconv: unknown argument '%s'\n", argv[i]);
      std::fwrite(kUsage.data(), 1, kUsage.size(), stderr);
      return kBadInput;
    }
    breaks = aspclip::LineBreaks::kAsIs;
  }
  try {
    return Convert(breaks);
  } catch (const std::bad_alloc&) {
    return Fail("not enough memory for this page", kFailure);
  }
}
