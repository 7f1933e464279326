#include "plan.h"

#include <algorithm>
#include <map>

#include "base/characters.h"
#include "text/utf8.h"
#include "wildcards.h"

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

// How many pages `folder` and the folders below it hold, as a walk finds them.
std::size_t CountPages(const fs::path& folder) {
  std::vector<FolderEntry> entries;
  static_cast<void>(ListFolder(SystemPath(folder), entries));  // what cannot be read holds none
  std::size_t pages = 0;
  for (const FolderEntry& entry : entries) {
    if (entry.kind == EntryKind::kFolder) {
      pages += CountPages(folder / entry.name);
    } else if (entry.kind == EntryKind::kRegularFile && IsPageFile(entry.name)) {
      ++pages;
    }
  }
  return pages;
}

// Adds a job for each page in `folder`, which lies at `relative` in its site, and below it,
// mirrored under `outputFolder`, which is never read as input. A folder or page that cannot be read
// is refused, and the walk goes on around it. Links to folders are not followed, so that no walk
// goes round in a circle.
void AddFolder(const fs::path& outputFolder, const fs::path& folder, const fs::path& relative,
               Plan& plan) {
  std::vector<FolderEntry> entries;
  const Status listed = ListFolder(SystemPath(folder), entries);
  std::vector<fs::path> folders;
  for (const FolderEntry& entry : entries) {
    const fs::path path = folder / entry.name;
    if (entry.kind == EntryKind::kFolder) {
      if (!SameFile(SystemPath(path), SystemPath(outputFolder))) {
        folders.push_back(entry.name);
      } else {
        plan.leftOut += CountPages(path);
      }
    } else if (!IsPageFile(path)) {
      continue;
    } else if (entry.kind == EntryKind::kRegularFile) {
      plan.jobs.push_back({path, outputFolder / relative / CodeName(entry.name)});
    } else if (entry.kind == EntryKind::kUnreadable) {
      plan.refused.push_back(Refusal(path, "cannot read input: " + entry.error));
    } else {
      plan.refused.push_back(Refusal(path, "not a regular file"));
    }
  }
  if (!listed.ok())
    plan.refused.push_back(Refusal(folder, "cannot read folder: " + listed.reason()));
  std::sort(folders.begin(), folders.end());
  for (const fs::path& name : folders)
    AddFolder(outputFolder, folder / name, relative / name, plan);
}

// Adds the site's pages in the order of their names, whatever order the file system lists them
// in, and its refusals likewise.
void AddSite(const fs::path& root, const fs::path& outputFolder, Plan& plan) {
  const std::size_t jobs = plan.jobs.size(), refused = plan.refused.size();
  AddFolder(outputFolder, root, fs::path(), plan);
  std::sort(plan.jobs.begin() + static_cast<std::ptrdiff_t>(jobs), plan.jobs.end(),
            [](const Job& a, const Job& b) { return a.input < b.input; });
  std::stable_sort(plan.refused.begin() + static_cast<std::ptrdiff_t>(refused), plan.refused.end(),
                   [](const Status& a, const Status& b) { return a.reason() < b.reason(); });
}

// Only a named file can also be an output: what a folder gives ends in .asp or .inc.
void RefuseOutputsThatAreInputs(const std::vector<fs::path>& namedFiles, Plan& plan) {
  for (Job& job : plan.jobs) {
    for (const fs::path& named : namedFiles) {
      if (SameFile(SystemPath(job.output), SystemPath(named))) {
        plan.refused.push_back(
            Refusal(job.input, "the output " + Utf8(job.output) + " is an input"));
        job.output.clear();
      }
    }
  }
}

// Two pages whose names differ only in their extension's case, say, would race for one file, and
// on Windows two whose names differ in case at all. A page named twice, or named and found in a
// folder, is converted once.
void RefuseSharedOutputs(Plan& plan) {
  std::map<fs::path, const Job*> firstFor;
  for (Job& job : plan.jobs) {
    if (job.output.empty()) continue;
    const auto [first, added] = firstFor.try_emplace(SameFileKey(job.output), &job);
    if (!added && SameFile(SystemPath(job.input), SystemPath(first->second->input))) {
      job.output.clear();
    } else if (!added) {
      plan.refused.push_back(Refusal(job.input, "its code would go to " + Utf8(job.output) +
                                                    ", as that of " + Utf8(first->second->input) +
                                                    " does"));
      job.output.clear();
    }
  }
}

// Names no file can be stored under are refused before anything is planned; false when that is
// the output's.
bool RefuseUnusableNames(std::vector<std::string>& operands, const fs::path& outputPath,
                         Plan& plan) {
  if (const Status usable = UsableName(outputPath); !usable.ok()) {
    plan.refused.push_back(Refusal(outputPath, usable.reason()));
    return false;
  }
  std::erase_if(operands, [&](const std::string& operand) {
    const Status usable = UsableName(PathOf(operand));
    if (!usable.ok()) plan.refused.push_back(Refusal(PathOf(operand), usable.reason()));
    return !usable.ok();
  });
  return true;
}

}  // namespace

Status PlanJobs(std::vector<std::string> operands, const std::optional<std::string>& output,
                Plan& plan) {
  if (operands.empty()) operands.push_back("-");
  operands = ExpandWildcards(operands, plan.refused);
  const fs::path outputPath = output ? PathOf(*output) : fs::path();
  if (!RefuseUnusableNames(operands, outputPath, plan) || operands.empty()) return Status::Ok();
  bool anyFolder = false;
  for (const std::string& operand : operands) {
    anyFolder = anyFolder || (operand != "-" && IsFolder(SystemPath(PathOf(operand))));
  }
  // An output that ends in a separator names a folder, which need not be there yet.
  const bool namesFolder = output && !output->empty() && IsSeparator(output->back());
  const bool intoFolder = operands.size() > 1 || anyFolder || namesFolder ||
                          (output && IsFolder(SystemPath(outputPath)));
  if (!intoFolder) {
    const fs::path input = operands[0] == "-" ? fs::path() : PathOf(operands[0]);
    if (!input.empty() && !outputPath.empty() &&
        SameFile(SystemPath(input), SystemPath(outputPath))) {
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
  const fs::path systemOutput = SystemPath(outputPath);
  if (Exists(systemOutput) && !IsFolder(systemOutput)) {
    return Status::Failed("several inputs or a folder need an output folder, and " + *output +
                          " is not one");
  }
  std::vector<fs::path> namedFiles;
  for (const std::string& operand : operands) {
    const fs::path input = PathOf(operand);
    if (IsFolder(SystemPath(input))) {
      AddSite(input, outputPath, plan);
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
