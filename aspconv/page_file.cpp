#include "page_file.h"

#include <fcntl.h>

#include <new>
#include <string>
#include <string_view>

#include "convert/pipeline.h"
#include "convert/scan/scan.h"
#include "output_file.h"
#include "text/input.h"
#include "text/line_breaks.h"
#include "text/utf8.h"

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

namespace aspconv {
namespace {

using aspclip::About;
using aspclip::Status;

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
constexpr int kStandardInput = 0, kStandardOutput = 1;

int OpenToRead(const fs::path& path) {
#ifdef _WIN32
  return _wopen(path.c_str(), _O_RDONLY | _O_BINARY);
#else
  return open(path.c_str(), O_RDONLY | O_CLOEXEC);
#endif
}

// The page as the engine reads it: UTF-8 with CR LF line breaks, without a byte-order mark.
struct Page {
  aspclip::InputBuffer bytes;
  std::string decoded;  // when the page was in another encoding
  std::string_view text;
  bool hadByteOrderMark = false;
};

Status ReadUtf8Page(bool raw, Page& page) {
  const std::string_view text = page.bytes.view();
  const std::size_t skipped = text.starts_with(kByteOrderMark) ? kByteOrderMark.size() : 0;
  const aspclip::Utf8Scan scan = aspclip::ScanUtf8(text.substr(skipped));
  if (scan.badByte != aspclip::kNotFound) {
    return Status::Failed("input is not valid UTF-8 (bad byte at offset " +
                          std::to_string(scan.badByte + skipped) +
                          ") (try --encoding windows-1252)");
  }
  if (raw) return Status::Ok();
  return page.bytes.NormalizeLineBreaks(scan.loneLineBreaks);
}

Status DecodePage(aspclip::Charset& charset, bool raw, Page& page) {
  if (Status decoded = charset.ToUtf8(page.bytes.view(), page.decoded); !decoded.ok()) {
    return decoded;
  }
  if (!raw && aspclip::CountLoneLineBreaks(page.decoded) > 0) {
    page.decoded = aspclip::WithCrLf(page.decoded);
  }
  return Status::Ok();
}

Status ReadPage(int in, const PageFormat& format, Page& page) {
  if (Status read = page.bytes.ReadAll(in); !read.ok()) return read;
  Status ready = format.charset == nullptr ? ReadUtf8Page(format.raw, page)
                                           : DecodePage(*format.charset, format.raw, page);
  if (!ready.ok()) return ready;
  const std::string_view text =
      format.charset == nullptr ? page.bytes.view() : std::string_view(page.decoded);
  page.hadByteOrderMark = text.starts_with(kByteOrderMark);
  page.text = text.substr(page.hadByteOrderMark ? kByteOrderMark.size() : 0);
  return Status::Ok();
}

// Writes the code as it comes, in the output's encoding; after a failure the rest is dropped and
// the failure kept.
class FileSink final : public aspclip::CodeSink {
 public:
  FileSink(int fd, aspclip::Charset* charset) : fd_(fd), charset_(charset) {}

  void Put(std::string_view piece) override {
    if (!status_.ok()) return;
    if (charset_ != nullptr) {
      encoded_.clear();
      status_ = charset_->FromUtf8(piece, encoded_);
      if (!status_.ok()) return;
      piece = encoded_;
    }
    status_ = WriteAll(fd_, piece);
  }

  const Status& status() const { return status_; }

 private:
  int fd_;
  aspclip::Charset* charset_;
  std::string encoded_;
  Status status_ = Status::Ok();
};

// Pages of one folder come one after another: its folder is made once.
void CreateFolderOf(const fs::path& file) {
  thread_local fs::path made;
  if (!file.has_parent_path() || file.parent_path() == made) return;
  std::error_code error;
  fs::create_directories(file.parent_path(), error);
  if (!error) made = file.parent_path();
}

Status ReadJobPage(const Job& job, const PageFormat& format, Page& page) {
  const int in = job.input.empty() ? kStandardInput : OpenToRead(job.input);
  if (in < 0) return aspclip::CannotReadInput();
  Status read = ReadPage(in, format, page);
  if (in != kStandardInput) close(in);
  return read;
}

Status WriteJobCode(const Job& job, const PageFormat& format, const Page& page) {
  ReplacingFile replacing;
  int out = kStandardOutput;
  if (!job.output.empty()) {
    CreateFolderOf(job.output);
    if (Status opened = replacing.Open(job.output); !opened.ok()) return opened;
    out = replacing.fd();
  }
  FileSink sink(out, format.charset);
  // A file keeps the page's byte-order mark; standard output, as a filter's, goes without.
  if (page.hadByteOrderMark && out != kStandardOutput) sink.Put(kByteOrderMark);
  aspclip::ConvertAspCode(page.text, sink);
  if (!sink.status().ok()) return sink.status();
  return out == kStandardOutput ? Status::Ok() : replacing.Commit();
}

}  // namespace

Status ConvertPage(const Job& job, const PageFormat& format) {
  try {
    Page page;
    if (Status read = ReadJobPage(job, format, page); !read.ok()) {
      return About(Utf8(job.input), read);
    }
    return About(Utf8(job.output), WriteJobCode(job, format, page));
  } catch (const std::bad_alloc&) {
    return About(Utf8(job.input), Status::Failed("not enough memory for this page"));
  }
}

}  // namespace aspconv
