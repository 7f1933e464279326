// Reading a page whole: a large file is mapped, and lone line breaks widen it all the same.
#include "text/input.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "text/utf8.h"

namespace aspclip {
namespace {

namespace fs = std::filesystem;

TEST(Input, PagesWithLoneLineBreaksAreWidenedMappedOrRead) {
  struct Row {
    const char* rule;
    std::size_t lines;
    std::string lineBreak;
  };
  // A line of some 37 bytes: 40,000 of them pass the 1 MiB above which a file is mapped.
  const std::vector<Row> rows = {
      {"a small page with LF is read", 10, "\n"},
      {"a large page with LF is mapped", 40000, "\n"},
      {"a large page with CR is mapped", 40000, "\r"},
      {"a large page with CR LF is mapped and kept", 40000, "\r\n"},
  };
  for (const Row& row : rows) {
    std::string file, expected;
    for (std::size_t k = 0; k < row.lines; ++k) {
      const std::string line = "<p>line " + std::to_string(k) + std::string(20, 'x') + "</p>";
      file += line + row.lineBreak;
      expected += line + "\r\n";
    }
    std::string pattern = (fs::temp_directory_path() / "input-test-XXXXXX").string();
    const int fd = mkstemp(pattern.data());
    ASSERT_GE(fd, 0);
    ASSERT_EQ(write(fd, file.data(), file.size()), static_cast<ssize_t>(file.size()));
    ASSERT_EQ(lseek(fd, 0, SEEK_SET), 0);
    InputBuffer input;
    ASSERT_TRUE(input.ReadAll(fd).ok()) << row.rule;
    const Utf8Scan scan = ScanUtf8(input.view());
    ASSERT_TRUE(input.NormalizeLineBreaks(scan.loneLineBreaks).ok()) << row.rule;
    EXPECT_TRUE(input.view() == expected) << row.rule;
    close(fd);
    fs::remove(pattern);
  }
}

// A mapped file saved over while it is read: what is past its new end reads as zeros, and the read
// is known to be unsound, where the process would die of SIGBUS.
TEST(Input, AMappedFileThatShrinksIsNoticedNotFatal) {
  const std::size_t size = 4 << 20;
  std::string pattern = (fs::temp_directory_path() / "input-test-XXXXXX").string();
  const int fd = mkstemp(pattern.data());
  ASSERT_GE(fd, 0);
  ASSERT_EQ(ftruncate(fd, static_cast<off_t>(size)), 0);
  InputBuffer input;
  ASSERT_TRUE(input.ReadAll(fd).ok());
  EXPECT_TRUE(input.CheckUnchanged().ok());
  ASSERT_EQ(ftruncate(fd, 0), 0);
  std::size_t nonZero = 0;
  for (const char c : input.view())
    nonZero += c != '\0';
  EXPECT_EQ(nonZero, 0u);
  EXPECT_EQ(input.CheckUnchanged().reason(),
            "cannot read input: the file changed while it was read");
  close(fd);
  fs::remove(pattern);
}

}  // namespace
}  // namespace aspclip
