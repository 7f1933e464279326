// aspconv: the converter for files, whole sites and pipes.
#include "main.h"

#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "base/exit_codes.h"
#include "base/standard_streams.h"
#include "console.h"
#include "convert_all.h"
#include "options.h"
#include "page_text.h"
#include "plan.h"
#include "temporaries.h"
#include "text/charset.h"

namespace {

using aspclip::Status;

int UsageError(const Status& usage) {
  aspconv::Say(
      stderr, "aspconv: " + aspconv::ControlsEscaped(usage.reason()) + "\nTry 'aspconv --help'.\n");
  return aspclip::kExitUsage;
}

// Says a failure, which names its file.
void Report(const Status& failure) {
  aspconv::Say(stderr, "aspconv: " + aspconv::ControlsEscaped(failure.reason()) + "\n");
}

// "converted 3 files, 1 failed"; with --encoding auto how many were read in which encoding; and
// how many pages were left out for lying inside the output folder.
void Summarize(const std::vector<aspconv::PageOutcome>& outcomes, std::size_t pages,
               std::size_t failed, std::size_t leftOut, bool detected) {
  std::string summary = "converted " + std::to_string(pages - failed) +
                        (pages - failed == 1 ? " file, " : " files, ") + std::to_string(failed) +
                        " failed";
  std::map<std::string, std::size_t> readAs;
  for (const aspconv::PageOutcome& outcome : outcomes) {
    if (outcome.status.ok()) ++readAs[outcome.encoding];
  }
  if (detected && !readAs.empty()) {
    std::string counts;
    for (const auto& [encoding, count] : readAs) {
      counts += (counts.empty() ? "" : ", ") + std::to_string(count) + " " + encoding +
                (encoding == "UTF-8" ? "" : " guessed");  // UTF-8 is proven, the rest guessed
    }
    summary += " (" + counts + ")";
  }
  if (leftOut > 0) {
    summary += "; " + std::to_string(leftOut) + (leftOut == 1 ? " page" : " pages") +
               " inside the output folder left out";
  }
  aspconv::Say(stderr, summary + "\n");
}

}  // namespace

int aspconv::Main(std::vector<char*> argv) {
  aspclip::KeepStandardStreamsOpen();
  aspconv::RemoveTemporariesOnSignals();
  aspconv::Options options;
  if (Status parsed = aspconv::ParseOptions(argv, options); !parsed.ok()) return UsageError(parsed);
  if (options.request != aspconv::Request::kConvert) {
    const std::string text =
        options.request == aspconv::Request::kHelp ? aspconv::UsageText() : aspconv::VersionText();
    aspconv::Say(stdout, text);
    return aspclip::StandardOutputWritten("aspconv") ? aspclip::kExitSuccess
                                                     : aspclip::kExitFailure;
  }
  aspconv::StandardOutputForCode();
  const bool detected = options.encoding == aspconv::kAutomaticEncoding;
  std::unique_ptr<aspclip::Charset> charset;
  if (Status opened = aspclip::Charset::Open(options.encoding, charset);
      !opened.ok() && !detected) {
    return UsageError(opened);
  }
  aspconv::Plan plan;
  const Status planned = aspconv::PlanJobs(options.operands, options.output, plan);
  for (const Status& refused : plan.refused)
    Report(refused);
  if (!planned.ok()) return UsageError(planned);
  std::size_t failed = plan.refused.size();
  const std::vector<aspconv::PageOutcome> outcomes = aspconv::ConvertAll(plan.jobs, options);
  for (const aspconv::PageOutcome& outcome : outcomes) {
    if (!outcome.status.ok()) {
      Report(outcome.status);
      ++failed;
    }
  }
  const std::size_t pages = plan.jobs.size() + plan.refused.size();
  if (pages > 1 || plan.leftOut > 0) Summarize(outcomes, pages, failed, plan.leftOut, detected);
  return failed == 0 ? aspclip::kExitSuccess : aspclip::kExitFailure;
}
