// aspconv: the converter for files, whole sites and pipes.
#include <getopt.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <map>
#include <new>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <process.h>
#include <sys/stat.h>
#else
#include <fcntl.h>
#include <unistd.h>
#endif

#include "charset.h"
#include "convert/pipeline.h"
#include "convert/scan.h"
#include "exit_codes.h"
#include "read_input.h"
#include "text_encoding.h"

namespace {

namespace fs = std::filesystem;
using aspclip::kExitFailure;
using aspclip::kExitSuccess;
using aspclip::kExitUsage;

constexpr std::string_view kUsage =
    "Usage: aspconv [OPTION]... [FILE|DIR]...\n"
    "Converts ASP pages into Visual Basic code that builds each page's output in OutputString.\n"
    "\n"
    "With no FILE, or with -, reads standard input. One FILE is converted to standard output, or\n"
    "to OUT with -o. Several FILEs, or any DIR, need -o DIR: each FILE becomes DIR/NAME.vb, and\n"
    "the .asp and .inc files of each DIR are mirrored there with their relative paths.\n"
    "\n"
    "  -o, --output=OUT     write the code to OUT, a file or, for several inputs, a folder\n"
    "      --encoding=NAME  read pages and write code in NAME (default utf-8): windows-1252,\n"
    "                       iso-8859-1, utf-16le and whatever else the system converts\n"
    "      --raw            pass line breaks to the converter as they are; by default a lone\n"
    "                       CR or LF is read as a line break, like CR LF\n"
    "  -h, --help           show this help and exit\n"
    "      --version        show the version and exit\n"
    "\n"
    "Exit status: 0 all converted, 1 some input could not be read, decoded or written, 2 a\n"
    "usage error.\n";
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
constexpr std::string_view kCodeExtension = ".vb";

struct Options {
  bool raw = false;
  std::string encoding = "utf-8";
  std::optional<std::string> output;
  std::vector<std::string> operands;
};

// One page: where it comes from and where its code goes; an empty path is standard input or
// output.
struct Job {
  fs::path input;
  fs::path output;
};

// What went wrong with one file, said as "aspconv: WHERE: REASON" (standard input and output go
// without WHERE).
struct Failure {
  fs::path where;
  std::string reason;
};

std::string Utf8(const fs::path& path) {
  const std::u8string name = path.u8string();
  return std::string(name.begin(), name.end());
}

fs::path PathOf(const std::string& utf8) {
  return fs::path(std::u8string(utf8.begin(), utf8.end()));
}

// Says each failure as it happens and counts them.
class Failures {
 public:
  void Add(const Failure& failure) {
    ++count_;
    if (failure.where.empty()) {
      std::fprintf(stderr, "aspconv: %s\n", failure.reason.c_str());
    } else {
      std::fprintf(stderr, "aspconv: %s: %s\n", Utf8(failure.where).c_str(),
                   failure.reason.c_str());
    }
  }
  std::size_t count() const { return count_; }

 private:
  std::size_t count_ = 0;
};

int UsageError(const std::string& message) {
  std::fprintf(stderr, "aspconv: %s\nTry 'aspconv --help'.\n", message.c_str());
  return kExitUsage;
}

std::string LowerCase(std::string text) {
  for (char& c : text)
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

bool IsPageFile(const fs::path& path) {
  const std::string extension = LowerCase(Utf8(path.extension()));
  return extension == ".asp" || extension == ".inc";
}

// NAME.vb for NAME.asp or NAME.inc; any other file keeps its whole name in front of ".vb".
fs::path CodeName(fs::path name) {
  if (IsPageFile(name)) return name.replace_extension(kCodeExtension);
  return name += kCodeExtension;
}

int OpenToRead(const fs::path& path) {
#ifdef _WIN32
  return _wopen(path.c_str(), _O_RDONLY | _O_BINARY);
#else
  return open(path.c_str(), O_RDONLY | O_CLOEXEC);
#endif
}

// A new file that nobody else can have opened: it did not exist.
int CreateNew(const fs::path& path) {
#ifdef _WIN32
  return _wopen(path.c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY, _S_IREAD | _S_IWRITE);
#else
  return open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
#endif
}

// Writes all of `bytes`; false with errno set when the system will not.
bool WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const auto written = write(fd, bytes.data(), static_cast<unsigned>(bytes.size()));
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return false;
    bytes.remove_prefix(static_cast<std::size_t>(written));
  }
  return true;
}

int ProcessId() {
#ifdef _WIN32
  static const int id = _getpid();
#else
  static const int id = getpid();
#endif
  return id;
}

// Writes a file under a temporary name beside it and renames it into place once it is whole, so
// that a failure never leaves half a file; an unfinished temporary is removed.
class ReplacingFile {
 public:
  ~ReplacingFile() {
    if (fd_ >= 0) close(fd_);
    std::error_code ignored;
    if (!temporary_.empty()) fs::remove(temporary_, ignored);
  }

  // The new file's descriptor, or -1 with errno set.
  int Open(const fs::path& target) {
    target_ = target;
    for (int attempt = 0; fd_ < 0 && attempt < 100; ++attempt) {
      std::string name = ".";  // appended piece by piece: GCC 12 warns wrongly about operator+
      name.append(Utf8(target.filename())).append(".").append(std::to_string(ProcessId()));
      name.append("-").append(std::to_string(attempt)).append(".tmp");
      temporary_ = target.parent_path() / PathOf(name);
      fd_ = CreateNew(temporary_);
      if (fd_ < 0 && errno != EEXIST) break;
    }
    if (fd_ < 0) temporary_.clear();
    return fd_;
  }

  // The errno of the failure, or 0.
  int Commit() {
    const bool closed = close(fd_) == 0;
    fd_ = -1;
    if (!closed) return errno;
    std::error_code error;
    fs::rename(temporary_, target_, error);
    if (error) return error.value();
    temporary_.clear();
    return 0;
  }

 private:
  fs::path target_, temporary_;
  int fd_ = -1;
};

// Writes the code as it comes, in the output's encoding; after a failure the rest is dropped and
// the failure kept.
class FileSink final : public aspclip::CodeSink {
 public:
  FileSink(int fd, aspclip::Charset& charset) : fd_(fd), charset_(charset) {}

  void Put(std::string_view piece) override {
    if (!error_.empty()) return;
    if (!charset_.IsUtf8()) {
      encoded_.clear();
      if (!charset_.FromUtf8(piece, encoded_, error_)) return;
      piece = encoded_;
    }
    if (!WriteAll(fd_, piece)) error_ = std::string("cannot write output: ") + std::strerror(errno);
  }

  // Why writing failed, or nothing.
  const std::string& error() const { return error_; }

 private:
  int fd_;
  aspclip::Charset& charset_;
  std::string encoded_;
  std::string error_;
};

// The page as the engine reads it: UTF-8 with CR LF line breaks, without a byte-order mark.
struct Page {
  aspclip::InputBuffer bytes;
  std::string decoded;  // when the page was in another encoding
  std::string_view text;
  bool hadByteOrderMark = false;
};

std::optional<std::string> ReadPage(int in, aspclip::Charset& charset, bool raw, Page& page) {
  if (!page.bytes.ReadAll(in)) return std::string("cannot read input: ") + std::strerror(errno);
  std::string_view text = page.bytes.view();
  if (charset.IsUtf8()) {
    const std::size_t skipped = text.starts_with(kByteOrderMark) ? kByteOrderMark.size() : 0;
    const aspclip::Utf8Scan scan = aspclip::ScanUtf8(text.substr(skipped));
    if (scan.badByte != aspclip::kNotFound) {
      return "input is not valid UTF-8 (bad byte at offset " +
             std::to_string(scan.badByte + skipped) + ") (try --encoding windows-1252)";
    }
    if (!raw && !page.bytes.NormalizeLineBreaks(scan.loneLineBreaks)) {
      return std::string("cannot read input: ") + std::strerror(errno);
    }
    text = page.bytes.view();
  } else {
    std::size_t bad = 0;
    if (!charset.ToUtf8(text, page.decoded, bad)) {
      return "input is not valid " + charset.name() + " (bad byte at offset " +
             std::to_string(bad) + ")";
    }
    if (!raw && aspclip::CountLoneLineBreaks(page.decoded) > 0) {
      page.decoded = aspclip::WithCrLf(page.decoded);
    }
    text = page.decoded;
  }
  page.hadByteOrderMark = text.starts_with(kByteOrderMark);
  page.text = text.substr(page.hadByteOrderMark ? kByteOrderMark.size() : 0);
  return std::nullopt;
}

// Pages of one folder come one after another: its folder is made once.
void CreateFolderOf(const fs::path& file) {
  thread_local fs::path made;
  if (!file.has_parent_path() || file.parent_path() == made) return;
  std::error_code error;
  fs::create_directories(file.parent_path(), error);
  if (!error) made = file.parent_path();
}

std::optional<Failure> Convert(const Job& job, aspclip::Charset& charset, bool raw) {
  constexpr int kStandardInput = 0, kStandardOutput = 1;
  const int in = job.input.empty() ? kStandardInput : OpenToRead(job.input);
  if (in < 0) return Failure{job.input, std::string("cannot read input: ") + std::strerror(errno)};
  Page page;
  const std::optional<std::string> unreadable = ReadPage(in, charset, raw, page);
  if (in != kStandardInput) close(in);
  if (unreadable) return Failure{job.input, *unreadable};

  ReplacingFile replacing;
  int out = kStandardOutput;
  if (!job.output.empty()) {
    CreateFolderOf(job.output);
    out = replacing.Open(job.output);
    if (out < 0)
      return Failure{job.output, std::string("cannot write output: ") + std::strerror(errno)};
  }
  FileSink sink(out, charset);
  // A file keeps the page's byte-order mark; standard output, as a filter's, goes without.
  if (page.hadByteOrderMark && out != kStandardOutput) sink.Put(kByteOrderMark);
  aspclip::ConvertAspCode(page.text, sink);
  if (!sink.error().empty()) return Failure{job.output, sink.error()};
  if (const int error = out == kStandardOutput ? 0 : replacing.Commit(); error != 0) {
    return Failure{job.output, std::string("cannot write output: ") + std::strerror(error)};
  }
  return std::nullopt;
}

// Adds a job for each page in the folder and below it, mirrored under `outputFolder`, which is
// never read as input; false when the folder cannot be read.
bool AddFolder(const fs::path& folder, const fs::path& outputFolder, std::vector<Job>& jobs,
               Failures& failures) {
  const std::size_t before = jobs.size();
  std::error_code error;
  fs::recursive_directory_iterator entry(folder, error), end;
  for (; !error && entry != end; entry.increment(error)) {
    std::error_code ignored;
    if (entry->is_directory(ignored) && fs::equivalent(entry->path(), outputFolder, ignored)) {
      entry.disable_recursion_pending();
    } else if (entry->is_regular_file(ignored) && IsPageFile(entry->path())) {
      const fs::path relative = entry->path().lexically_relative(folder);
      jobs.push_back(
          {entry->path(), outputFolder / relative.parent_path() / CodeName(relative.filename())});
    }
  }
  // In the order of their names, whatever order the file system lists them in.
  std::sort(jobs.begin() + static_cast<std::ptrdiff_t>(before), jobs.end(),
            [](const Job& a, const Job& b) { return a.input < b.input; });
  if (!error) return true;
  failures.Add({folder, "cannot read folder: " + error.message()});
  return false;
}

// The jobs the operands make, or a usage error's message.
std::optional<std::string> PlanJobs(const Options& options, std::vector<Job>& jobs,
                                    Failures& failures) {
  std::vector<std::string> operands = options.operands;
  if (operands.empty()) operands.push_back("-");
  std::error_code error;
  const fs::path output = options.output ? PathOf(*options.output) : fs::path();
  bool anyFolder = false;
  for (const std::string& operand : operands) {
    anyFolder = anyFolder || (operand != "-" && fs::is_directory(PathOf(operand), error));
  }
  const bool intoFolder =
      operands.size() > 1 || anyFolder || (options.output && fs::is_directory(output, error));
  if (!intoFolder) {
    const fs::path input = operands[0] == "-" ? fs::path() : PathOf(operands[0]);
    if (!input.empty() && !output.empty() && fs::equivalent(input, output, error)) {
      failures.Add({input, "the output would replace this input"});
      return std::nullopt;
    }
    jobs.push_back({input, output});
    return std::nullopt;
  }
  if (!options.output) return "several inputs or a folder need an output folder: -o DIR";
  if (std::count(operands.begin(), operands.end(), "-") > 0) {
    return "standard input cannot be read together with other inputs";
  }
  std::vector<fs::path> namedFiles;
  for (const std::string& operand : operands) {
    const fs::path input = PathOf(operand);
    if (fs::is_directory(input, error)) {
      AddFolder(input, output, jobs, failures);
    } else {
      jobs.push_back({input, output / CodeName(input.filename())});
      namedFiles.push_back(input);
    }
  }
  // Only a named file can also be an output: what a folder gives ends in .asp or .inc.
  for (Job& job : jobs) {
    for (const fs::path& named : namedFiles) {
      if (fs::equivalent(job.output, named, error)) {
        failures.Add({job.input, "the output " + Utf8(job.output) + " is an input"});
        job.output.clear();
      }
    }
  }
  // Two pages whose names differ only in their extension's case, say, would race for one file.
  std::map<fs::path, const Job*> firstFor;
  for (Job& job : jobs) {
    if (job.output.empty()) continue;
    const auto [first, added] = firstFor.try_emplace(job.output, &job);
    if (!added) {
      failures.Add({job.input, "its code would go to " + Utf8(job.output) + ", as that of " +
                                   Utf8(first->second->input) + " does"});
      job.output.clear();
    }
  }
  std::erase_if(jobs, [](const Job& job) { return job.output.empty(); });
  return std::nullopt;
}

// Parses the options; the exit code when they are all there is to do.
std::optional<int> ParseOptions(std::vector<char*> argv, Options& options) {
  enum { kEncoding = 256, kRaw, kVersion };
  static const option kLongOptions[] = {
      {"output", required_argument, nullptr, 'o'},
      {"encoding", required_argument, nullptr, kEncoding},
      {"raw", no_argument, nullptr, kRaw},
      {"help", no_argument, nullptr, 'h'},
      {"version", no_argument, nullptr, kVersion},
      {nullptr, 0, nullptr, 0},
  };
  opterr = 0;  // the messages are ours, with the hint
  const int argc = static_cast<int>(argv.size());
  argv.push_back(nullptr);
  for (int option;
       (option = getopt_long(argc, argv.data(), ":ho:", kLongOptions, nullptr)) != -1;) {
    switch (option) {
      case 'o':
        options.output = optarg;
        break;
      case kEncoding:
        options.encoding = optarg;
        break;
      case kRaw:
        options.raw = true;
        break;
      case 'h':
        std::fwrite(kUsage.data(), 1, kUsage.size(), stdout);
        return kExitSuccess;
      case kVersion:
        std::puts("aspconv " ASPCLIP_VERSION);
        return kExitSuccess;
      case ':':
        return UsageError(std::string("option '") + argv[optind - 1] + "' needs a value");
      default:
        return UsageError(std::string("unrecognized option '") + argv[optind - 1] + "'");
    }
  }
  options.operands.assign(argv.begin() + optind, argv.begin() + argc);
  return std::nullopt;
}

std::optional<Failure> ConvertOrFail(const Job& job, aspclip::Charset& charset, bool raw) {
  try {
    return Convert(job, charset, raw);
  } catch (const std::bad_alloc&) {
    return Failure{job.input, "not enough memory for this page"};
  }
}

// Each job's failure, in the order of the jobs. Pages are converted on every core, each worker
// with a converter of its own; the order of the reports does not depend on theirs.
std::vector<std::optional<Failure>> ConvertAll(const std::vector<Job>& jobs,
                                               const Options& options) {
  std::vector<std::optional<Failure>> failures(jobs.size());
  std::atomic<std::size_t> next = 0;
  const auto work = [&] {
    std::string unknown;
    const std::unique_ptr<aspclip::Charset> charset =
        aspclip::Charset::Open(options.encoding, unknown);
    for (std::size_t k; (k = next++) < jobs.size();)
      failures[k] = ConvertOrFail(jobs[k], *charset, options.raw);
  };
#if defined(_GLIBCXX_HAS_GTHREADS)
  const std::size_t workers =
      std::min<std::size_t>(std::max(1U, std::thread::hardware_concurrency()), jobs.size());
  std::vector<std::thread> threads;
  for (std::size_t k = 1; k < workers; ++k)
    threads.emplace_back(work);
  work();
  for (std::thread& thread : threads)
    thread.join();
#else
  work();  // a toolchain without threads
#endif
  return failures;
}

int Run(std::vector<char*> argv) {
  Options options;
  if (const std::optional<int> done = ParseOptions(argv, options)) return *done;
  std::string unknown;
  if (!aspclip::Charset::Open(options.encoding, unknown)) return UsageError(unknown);
  std::vector<Job> jobs;
  Failures failures;
  if (const std::optional<std::string> usage = PlanJobs(options, jobs, failures)) {
    return UsageError(*usage);
  }
  const std::size_t planningFailures = failures.count();
  for (const std::optional<Failure>& failure : ConvertAll(jobs, options)) {
    if (failure) failures.Add(*failure);
  }
  if (jobs.size() + planningFailures > 1) {
    std::fprintf(stderr, "converted %zu files, %zu failed\n",
                 jobs.size() + planningFailures - failures.count(), failures.count());
  }
  return failures.count() == 0 ? kExitSuccess : kExitFailure;
}

}  // namespace

#ifdef _WIN32
// Paths and arguments come as UTF-16 and are carried as UTF-8 to the options and back to the file
// system, which std::filesystem does on its own.
int wmain(int argc, wchar_t** wargv) {
  _setmode(_fileno(stdin), _O_BINARY);
  _setmode(_fileno(stdout), _O_BINARY);
  std::vector<std::string> arguments;
  for (int i = 0; i < argc; ++i) {
    const std::wstring argument = wargv[i];
    arguments.push_back(aspclip::Wtf8FromUtf16(std::u16string(argument.begin(), argument.end())));
  }
  std::vector<char*> argv;
  for (std::string& argument : arguments)
    argv.push_back(argument.data());
  return Run(argv);
}
#else
int main(int argc, char** argv) {
  return Run(std::vector<char*>(argv, argv + argc));
}
#endif
