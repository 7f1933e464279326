#include "plan.h"

#include <algorithm>
#include <map>

#include "text/utf8.h"

namespace aspconv {
namespace {

using aspclip::About;
using aspclip::Status;

constexpr std::string_view kCodeExtension = ".vb";

bool IsPageFile(const fs::path& path) {
  const std::string extension = aspclip::LowerCase(Utf8(path.extension()));
  return extension == ".asp" || extension == ".inc";
}

// NAME.vb for NAME.asp or NAME.inc; any other file keeps its whole name in front of ".vb".
fs::path CodeName(fs::path name) {
  if (IsPageFile(name)) return name.replace_extension(kCodeExtension);
  return name += kCodeExtension;
}

Status Refusal(const fs::path& where, std::string reason) {
  return About(Utf8(where), Status::Failed(std::move(reason)));
}

// Adds a job for each page in the folder and below it, mirrored under `outputFolder`, which is
// never read as input.
void AddFolder(const fs::path& folder, const fs::path& outputFolder, Plan& plan) {
  const std::size_t before = plan.jobs.size();
  std::error_code error;
  fs::recursive_directory_iterator entry(folder, error), end;
  for (; !error && entry != end; entry.increment(error)) {
    std::error_code ignored;
    if (entry->is_directory(ignored) && fs::equivalent(entry->path(), outputFolder, ignored)) {
      entry.disable_recursion_pending();
    } else if (entry->is_regular_file(ignored) && IsPageFile(entry->path())) {
      const fs::path relative = entry->path().lexically_relative(folder);
      plan.jobs.push_back(
          {entry->path(), outputFolder / relative.parent_path() / CodeName(relative.filename())});
    }
  }
  // In the order of their names, whatever order the file system lists them in.
  std::sort(plan.jobs.begin() + static_cast<std::ptrdiff_t>(before), plan.jobs.end(),
            [](const Job& a, const Job& b) { return a.input < b.input; });
  if (error) plan.refused.push_back(Refusal(folder, "cannot read folder: " + error.message()));
}

// Only a named file can also be an output: what a folder gives ends in .asp or .inc.
void RefuseOutputsThatAreInputs(const std::vector<fs::path>& namedFiles, Plan& plan) {
  std::error_code error;
  for (Job& job : plan.jobs) {
    for (const fs::path& named : namedFiles) {
      if (fs::equivalent(job.output, named, error)) {
        plan.refused.push_back(
            Refusal(job.input, "the output " + Utf8(job.output) + " is an input"));
        job.output.clear();
      }
    }
  }
}

// Two pages whose names differ only in their extension's case, say, would race for one file.
void RefuseSharedOutputs(Plan& plan) {
  std::map<fs::path, const Job*> firstFor;
  for (Job& job : plan.jobs) {
    if (job.output.empty()) continue;
    const auto [first, added] = firstFor.try_emplace(job.output, &job);
    if (!added) {
      plan.refused.push_back(Refusal(job.input, "its code would go to " + Utf8(job.output) +
                                                    ", as that of " + Utf8(first->second->input) +
                                                    " does"));
      job.output.clear();
    }
  }
}

}  // namespace

std::string Utf8(const fs::path& path) {
  const std::u8string name = path.u8string();
  return std::string(name.begin(), name.end());
}

fs::path PathOf(const std::string& utf8) {
  return fs::path(std::u8string(utf8.begin(), utf8.end()));
}

Status PlanJobs(std::vector<std::string> operands, const std::optional<std::string>& output,
                Plan& plan) {
  if (operands.empty()) operands.push_back("-");
  std::error_code error;
  const fs::path outputPath = output ? PathOf(*output) : fs::path();
  bool anyFolder = false;
  for (const std::string& operand : operands) {
    anyFolder = anyFolder || (operand != "-" && fs::is_directory(PathOf(operand), error));
  }
  const bool intoFolder =
      operands.size() > 1 || anyFolder || (output && fs::is_directory(outputPath, error));
  if (!intoFolder) {
    const fs::path input = operands[0] == "-" ? fs::path() : PathOf(operands[0]);
    if (!input.empty() && !outputPath.empty() && fs::equivalent(input, outputPath, error)) {
      plan.refused.push_back(Refusal(input, "the output would replace this input"));
    } else {
      plan.jobs.push_back({input, outputPath});
    }
    return Status::Ok();
  }
  if (!output) return Status::Failed("several inputs or a folder need an output folder: -o DIR");
  if (std::count(operands.begin(), operands.end(), "-") > 0) {
    return Status::Failed("standard input cannot be read together with other inputs");
  }
  std::vector<fs::path> namedFiles;
  for (const std::string& operand : operands) {
    const fs::path input = PathOf(operand);
    if (fs::is_directory(input, error)) {
      AddFolder(input, outputPath, plan);
    } else {
      plan.jobs.push_back({input, outputPath / CodeName(input.filename())});
      namedFiles.push_back(input);
    }
  }
  RefuseOutputsThatAreInputs(namedFiles, plan);
  RefuseSharedOutputs(plan);
  std::erase_if(plan.jobs, [](const Job& job) { return job.output.empty(); });
  return Status::Ok();
}

}  // namespace aspconv
