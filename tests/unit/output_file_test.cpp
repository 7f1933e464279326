// Writing a file under a temporary name and renaming it into place, in a folder of the test's own.
#include "aspconv/output_file.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <fstream>
#include <iterator>

namespace aspconv {
namespace {

namespace fs = std::filesystem;

std::string Contents(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

std::vector<std::string> Names(const fs::path& folder) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder))
    names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

TEST(OutputFile, TheTargetChangesOnlyWhenTheFileIsWhole) {
  struct Row {
    const char* rule;
    const char* before;  // the target's contents, or none
    bool commit;
    std::string expected;  // the target's contents after, or "" for none
  };
  const std::vector<Row> rows = {
      {"a new file appears once committed", nullptr, true, "new code"},
      {"an old file is replaced", "old code", true, "new code"},
      {"an abandoned file leaves no trace", nullptr, false, ""},
      {"an abandoned file leaves the old one as it was", "old code", false, "old code"},
  };
  for (const Row& row : rows) {
    std::string pattern = (fs::temp_directory_path() / "output-test-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    const fs::path folder = pattern, target = folder / "page.vb";
    if (row.before != nullptr) std::ofstream(target) << row.before;
    {
      ReplacingFile file;
      ASSERT_TRUE(file.Open(target).ok()) << row.rule;
      EXPECT_TRUE(WriteAll(file.fd(), "new code").ok()) << row.rule;
      // Until then the target is as it was.
      EXPECT_EQ(fs::exists(target) ? Contents(target) : "", row.before ? row.before : "");
      if (row.commit) {
        EXPECT_TRUE(file.Commit().ok()) << row.rule;
      }
    }
    EXPECT_EQ(fs::exists(target) ? Contents(target) : "", row.expected) << row.rule;
    const bool targetLeft = row.before != nullptr || row.commit;
    EXPECT_EQ(Names(folder),
              targetLeft ? std::vector<std::string>{"page.vb"} : std::vector<std::string>{})
        << row.rule;
    fs::remove_all(folder);
  }
}

TEST(OutputFile, FailuresSayWhy) {
  ReplacingFile nowhere;
  const aspclip::Status opened = nowhere.Open("/nonexistent-folder/page.vb");
  EXPECT_EQ(opened.reason(), "cannot write output: No such file or directory");

  const int full = open("/dev/full", O_WRONLY);
  ASSERT_GE(full, 0);
  EXPECT_EQ(WriteAll(full, "code").reason(), "cannot write output: No space left on device");
  close(full);
}

}  // namespace
}  // namespace aspconv
