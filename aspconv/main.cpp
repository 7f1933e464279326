// aspconv: the converter for files, whole sites and pipes.
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "convert_all.h"
#include "options.h"
#include "plan.h"
#include "text/charset.h"
#include "text/exit_codes.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>

#include "text/wtf8.h"
#endif

namespace {

using aspclip::Status;

int UsageError(const Status& usage) {
  std::fprintf(stderr, "aspconv: %s\nTry 'aspconv --help'.\n", usage.reason().c_str());
  return aspclip::kExitUsage;
}

// Says a failure, which names its file.
void Report(const Status& failure) {
  std::fprintf(stderr, "aspconv: %s\n", failure.reason().c_str());
}

int Run(std::vector<char*> argv) {
  aspconv::Options options;
  if (Status parsed = aspconv::ParseOptions(argv, options); !parsed.ok()) return UsageError(parsed);
  if (options.request != aspconv::Request::kConvert) {
    const std::string text =
        options.request == aspconv::Request::kHelp ? aspconv::UsageText() : aspconv::VersionText();
    std::fputs(text.c_str(), stdout);
    return aspclip::kExitSuccess;
  }
  std::unique_ptr<aspclip::Charset> charset;
  if (Status opened = aspclip::Charset::Open(options.encoding, charset); !opened.ok()) {
    return UsageError(opened);
  }
  aspconv::Plan plan;
  const Status planned = aspconv::PlanJobs(options.operands, options.output, plan);
  for (const Status& refused : plan.refused)
    Report(refused);
  if (!planned.ok()) return UsageError(planned);
  std::size_t failed = plan.refused.size();
  for (const Status& outcome : aspconv::ConvertAll(plan.jobs, options)) {
    if (!outcome.ok()) {
      Report(outcome);
      ++failed;
    }
  }
  const std::size_t pages = plan.jobs.size() + plan.refused.size();
  if (pages > 1) std::fprintf(stderr, "converted %zu files, %zu failed\n", pages - failed, failed);
  return failed == 0 ? aspclip::kExitSuccess : aspclip::kExitFailure;
}

}  // namespace

#ifdef _WIN32
// Paths and arguments come as UTF-16 and are carried as UTF-8 to the options and back to the file
// system, which std::filesystem does on its own.
int wmain(int argc, wchar_t** wargv) {
  _setmode(_fileno(stdin), _O_BINARY);
  _setmode(_fileno(stdout), _O_BINARY);
  std::vector<std::string> arguments;
  for (int i = 0; i < argc; ++i)
    arguments.push_back(aspclip::Wtf8FromWide(wargv[i]));
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
