// How aspconv's operands and folders become jobs, in a scratch folder of the test's own.
#include "aspconv/plan.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <fstream>
#include <stdexcept>

namespace aspconv {
namespace {

// A folder of the test's own, made new and removed again.
class Scratch {
 public:
  Scratch() {
    std::string pattern = (fs::temp_directory_path() / "plan-test-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    root_ = pattern;
  }
  ~Scratch() { fs::remove_all(root_); }

  // Makes the files (a trailing "/" makes a folder) under the scratch folder.
  void Make(const std::vector<std::string>& names) {
    for (const std::string& name : names) {
      if (name.ends_with('/')) {
        fs::create_directories(root_ / name);
      } else {
        fs::create_directories((root_ / name).parent_path());
        std::ofstream(root_ / name) << "x";
      }
    }
  }
  std::string At(const std::string& name) const {
    return name.empty() ? "" : (root_ / name).string();
  }
  // The text with each "@" standing for the scratch folder.
  std::string Rooted(std::string text) const {
    const std::string root = (root_ / "").string();
    for (std::size_t at; (at = text.find('@')) != std::string::npos;)
      text.replace(at, 1, root);
    return text;
  }

 private:
  fs::path root_;
};

struct PlanRow {
  const char* rule;
  std::vector<std::string> files;
  std::vector<std::string> operands;
  std::optional<std::string> output;
  std::string usageError;                                 // empty: none
  std::vector<std::pair<std::string, std::string>> jobs;  // input, output; "" is a stream
  std::vector<std::string> refused;  // each as "NAME: REASON", "@" standing for the folder
};

TEST(Plan, OperandsAndFoldersBecomeJobs) {
  const std::vector<PlanRow> rows = {
      {"no operand is standard input to standard output", {}, {}, {}, "", {{"", ""}}, {}},
      {"- is standard input", {}, {"-"}, "o.vb", "", {{"", "o.vb"}}, {}},
      {"one file goes to standard output", {"p.asp"}, {"p.asp"}, {}, "", {{"p.asp", ""}}, {}},
      {"one file onto itself is refused",
       {"p.asp"},
       {"p.asp"},
       "p.asp",
       "",
       {},
       {"@p.asp: the output would replace this input"}},
      {"several files need an output folder",
       {"a.asp", "b.asp"},
       {"a.asp", "b.asp"},
       {},
       "several inputs or a folder need an output folder: -o DIR",
       {},
       {}},
      {"a folder needs an output folder",
       {"site/a.asp"},
       {"site"},
       {},
       "several inputs or a folder need an output folder: -o DIR",
       {},
       {}},
      {"standard input goes alone",
       {"a.asp"},
       {"-", "a.asp"},
       "out",
       "standard input cannot be read together with other inputs",
       {},
       {}},
      {"named files go into the output folder by name",
       {"x/a.asp", "b.txt"},
       {"x/a.asp", "b.txt"},
       "out",
       "",
       {{"x/a.asp", "out/a.vb"}, {"b.txt", "out/b.txt.vb"}},
       {}},
      {"a folder's pages are mirrored in name order, other files skipped",
       {"site/b.INC", "site/a.Asp", "site/sub/c.asp", "site/d.html", "site/empty/"},
       {"site"},
       "out",
       "",
       {{"site/a.Asp", "out/a.vb"}, {"site/b.INC", "out/b.vb"}, {"site/sub/c.asp", "out/sub/c.vb"}},
       {}},
      {"an output folder inside the site is not read",
       {"site/a.asp", "site/out/old.asp"},
       {"site"},
       "site/out",
       "",
       {{"site/a.asp", "site/out/a.vb"}},
       {}},
      {"pages whose code would share a file: the later is refused",
       {"site/a.asp", "site/a.ASP"},
       {"site"},
       "out",
       "",
       {{"site/a.ASP", "out/a.vb"}},
       {"@site/a.asp: its code would go to @out/a.vb, as that of @site/a.ASP does"}},
      {"a named file that is also an output is refused",
       {"p.asp", "out/p.vb"},
       {"p.asp", "out/p.vb"},
       "out",
       "",
       {{"out/p.vb", "out/p.vb.vb"}},
       {"@p.asp: the output @out/p.vb is an input"}},
  };
  for (const PlanRow& row : rows) {
    Scratch scratch;
    scratch.Make(row.files);
    std::vector<std::string> operands;
    for (const std::string& operand : row.operands)
      operands.push_back(operand == "-" ? operand : scratch.At(operand));
    const std::optional<std::string> output =
        row.output ? std::optional<std::string>(scratch.At(*row.output)) : std::nullopt;
    Plan plan;
    const aspclip::Status planned = PlanJobs(operands, output, plan);
    EXPECT_EQ(planned.ok() ? "" : planned.reason(), row.usageError) << row.rule;
    std::vector<std::pair<std::string, std::string>> jobs, expectedJobs;
    for (const Job& job : plan.jobs)
      jobs.emplace_back(job.input.string(), job.output.string());
    for (const auto& [input, output] : row.jobs)
      expectedJobs.emplace_back(scratch.At(input), scratch.At(output));
    EXPECT_EQ(jobs, expectedJobs) << row.rule;
    std::vector<std::string> refused, expectedRefused;
    for (const aspclip::Status& status : plan.refused)
      refused.push_back(status.reason());
    for (const std::string& reason : row.refused)
      expectedRefused.push_back(scratch.Rooted(reason));
    EXPECT_EQ(refused, expectedRefused) << row.rule;
  }
}

}  // namespace
}  // namespace aspconv
