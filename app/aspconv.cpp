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
#include "convert/scan.h"
#include "exit_codes.h"
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

using aspclip::kExitBadInput;
using aspclip::kExitFailure;
using aspclip::kExitSuccess;
using aspclip::kExitUsage;

int Fail(const std::string& message, int exitCode) {
  std::fprintf(stderr, "aspconv: %s\n", message.c_str());
  return exitCode;
}

// Writes the code as it comes; after a failed write the rest is dropped and the failure kept.
class StdoutSink final : public aspclip::CodeSink {
 public:
  void Put(std::string_view piece) override {
    if (error_ == 0 && std::fwrite(piece.data(), 1, piece.size(), stdout) != piece.size()) {
      error_ = errno;
    }
  }
  // The errno of the first failed write, or 0.
  int Finish() {
    if (error_ == 0 && std::fflush(stdout) != 0) error_ = errno;
    return error_;
  }

 private:
  int error_ = 0;
};

// `raw`: every CR and LF reaches the converter as it is, not only CR LF as a line break.
int Convert(bool raw) {
  aspclip::InputBuffer input;
  if (!input.ReadAll(stdin))
    return Fail(std::string("cannot read input: ") + std::strerror(errno), kExitFailure);
  const std::size_t skipped = input.view().starts_with(kByteOrderMark) ? kByteOrderMark.size() : 0;
  if (const std::size_t bad = aspclip::FindInvalidUtf8(input.view().substr(skipped));
      bad != aspclip::kNotFound) {
    return Fail(
        "input is not valid UTF-8 (bad byte at offset " + std::to_string(bad + skipped) + ")",
        kExitBadInput);
  }
  if (!raw && !input.NormalizeLineBreaks())
    return Fail(std::string("cannot read input: ") + std::strerror(errno), kExitFailure);
  StdoutSink out;
  aspclip::ConvertAspCode(input.view().substr(skipped), out);
  if (const int error = out.Finish(); error != 0)
    return Fail(std::string("cannot write output: ") + std::strerror(error), kExitFailure);
  return kExitSuccess;
}

}  // namespace

int main(int argc, char** argv) {
#ifdef _WIN32
  _setmode(_fileno(stdin), _O_BINARY);
  _setmode(_fileno(stdout), _O_BINARY);
#endif
  bool raw = false;
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (arg == "--help") {
      std::fwrite(kUsage.data(), 1, kUsage.size(), stdout);
      return kExitSuccess;
    }
    if (arg != "--raw") {
      std::fprintf(stderr, "aspconv: unknown argument '%s'\n", argv[i]);
      std::fwrite(kUsage.data(), 1, kUsage.size(), stderr);
      return kExitUsage;
    }
    raw = true;
  }
  try {
    return Convert(raw);
  } catch (const std::bad_alloc&) {
    return Fail("not enough memory for this page", kExitFailure);
  }
}
