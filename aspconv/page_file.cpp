#include "page_file.h"

#include <fcntl.h>
#include <unistd.h>  // close: MinGW's too

#include <cerrno>
#include <memory>
#include <new>
#include <string_view>
#include <utility>

#include "base/standard_streams.h"
#include "console.h"
#include "convert/parallel.h"
#include "files.h"
#include "output_file.h"
#include "text/utf8.h"

namespace aspconv {
namespace {

using aspclip::About;
using aspclip::Status;

constexpr int kStandardInput = 0, kStandardOutput = 1;

// Ends a page's conversion at once, thrown from the sink: the page's file has shrunk, and the rest
// of it reads as nothing.
struct PageShrank {};

// Writes the code as it comes, in the output's encoding, or as text to a console; after a failure
// the rest is dropped and the failure kept.
class FileSink final : public aspclip::CodeSink {
 public:
  FileSink(int fd, aspclip::Charset* charset, std::unique_ptr<ConsoleText> console,
           const aspclip::InputBuffer& source)
      : fd_(fd),
        charset_(console != nullptr ? nullptr : charset),
        console_(std::move(console)),
        source_(source) {
    if (charset_ != nullptr) charset_->StartText();
  }

  void Put(std::string_view piece) override {
    if (source_.Shrank()) throw PageShrank();
    if (!status_.ok()) return;
    if (console_ != nullptr) {
      status_ = console_->Write(piece);
      return;
    }
    if (charset_ != nullptr) {
      encoded_.clear();
      status_ = charset_->FromUtf8(piece, encoded_);
      if (!status_.ok()) return;
      piece = encoded_;
    }
    status_ = WriteAll(fd_, piece);
  }

  // Ends the code as its encoding needs.
  const Status& Finish() {
    if (status_.ok() && console_ != nullptr) status_ = console_->Finish();
    if (status_.ok() && charset_ != nullptr) {
      encoded_.clear();
      status_ = charset_->FinishText(encoded_);
      if (status_.ok()) status_ = WriteAll(fd_, encoded_);
    }
    return status_;
  }

 private:
  int fd_;
  aspclip::Charset* charset_;
  std::unique_ptr<ConsoleText> console_;
  const aspclip::InputBuffer& source_;
  std::string encoded_;
  Status status_ = Status::Ok();
};

// Pages of one folder come one after another: its folder is made once. A file in the way is left
// for the file's own creation to name; any other failure is named here.
Status CreateFolderOf(const fs::path& file, const fs::path& named) {
  thread_local fs::path made;
  if (!file.has_parent_path() || file.parent_path() == made) return Status::Ok();
  if (Status folder = MakeFolders(file.parent_path(), named.parent_path()); !folder.ok())
    return folder;
  made = file.parent_path();
  return Status::Ok();
}

Status ReadJobPage(const Job& job, const PageFormat& format, Encodings& encodings,
                   DecodedPage& page) {
  const bool fromFile = !job.input.empty();
  const int in = fromFile ? OpenExisting(SystemPath(job.input), O_RDONLY) : kStandardInput;
  if (in < 0) return aspclip::CannotReadInput();
  Status read = page.Read(in, format, encodings);
  if (fromFile) close(in);
  return read;
}

// Where the code goes: standard output, a file that is there and is no regular file (a device, a
// FIFO, a socket), written straight, or a regular file, replaced once the code is whole.
class Output {
 public:
  Status Open(const fs::path& named) {
    if (named.empty()) {
      return aspclip::ClosedAtStart(kStandardOutput) ? aspclip::CannotWriteOutput(EBADF)
                                                     : Status::Ok();
    }
    const fs::path path = SystemPath(named);
    std::error_code error;
    const fs::file_status status = fs::status(path, error);
    if (IsDeviceName(path) || (fs::exists(status) && !fs::is_regular_file(status))) {
      direct_ = OpenExisting(path, O_WRONLY);
      return direct_ >= 0 ? Status::Ok() : aspclip::CannotWriteOutput();
    }
    // A new file has no link to follow: most outputs are new, and the look is saved.
    const bool exists = fs::exists(status);
    const fs::path target = exists ? FollowLinks(path) : path;
    if (Status folder = CreateFolderOf(target, named); !folder.ok()) return folder;
    replaced_ = true;
    return replacing_.Open(target, exists);
  }
  int fd() const { return replaced_ ? replacing_.fd() : direct_ >= 0 ? direct_ : kStandardOutput; }
  bool standard() const { return !replaced_ && direct_ < 0; }
  Status Commit() {
    if (replaced_) return replacing_.Commit();
    if (direct_ >= 0 && close(std::exchange(direct_, -1)) != 0) return aspclip::CannotWriteOutput();
    return Status::Ok();
  }
  ~Output() {
    if (direct_ >= 0) close(direct_);
  }

 private:
  ReplacingFile replacing_;
  bool replaced_ = false;
  int direct_ = -1;
};

Status WriteCode(const DecodedPage& page, unsigned workers, Output& out) {
  FileSink sink(out.fd(), page.codeCharset(), out.standard() ? ConsoleText::For(out.fd()) : nullptr,
                page.bytes());
  // A file keeps the page's byte-order mark; standard output, as a filter's, goes without.
  if (page.hadByteOrderMark() && !out.standard()) sink.Put(aspclip::kByteOrderMark);
  aspclip::ConvertAspCodeInChunks(page.text(), sink, workers);
  return sink.Finish();
}

}  // namespace

Status ConvertPage(const Job& job, const PageFormat& format, unsigned workers, Encodings& encodings,
                   std::string& readAs) {
  DecodedPage page;
  try {
    Status read = ReadJobPage(job, format, encodings, page);
    readAs = page.encoding();
    if (!read.ok()) return About(Utf8(job.input), read);
    Output out;
    if (Status opened = out.Open(job.output); !opened.ok()) return About(Utf8(job.output), opened);
    if (Status written = WriteCode(page, workers, out); !written.ok()) {
      return About(Utf8(job.output), written);
    }
    // A file that shrank while it was read was read in part: its code is not kept.
    if (Status unchanged = page.bytes().CheckUnchanged(); !unchanged.ok()) {
      return About(Utf8(job.input), unchanged);
    }
    return About(Utf8(job.output), out.Commit());
  } catch (const std::bad_alloc&) {
    return About(Utf8(job.input), Status::Failed("not enough memory for this page"));
  } catch (const PageShrank&) {
    return About(Utf8(job.input), page.bytes().CheckUnchanged());
  }
}

}  // namespace aspconv
