#include "aspclip/linux/wayland/offer.h"

#include <pthread.h>
#include <signal.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

namespace aspclip {
namespace {

// An owner that writes `count` bytes down a pipe and closes it; one whose reader has gone stops.
std::thread Owner(int fd, std::size_t count) {
  return std::thread([fd, count] {
    sigset_t pipeSignal;
    sigemptyset(&pipeSignal);
    sigaddset(&pipeSignal, SIGPIPE);
    pthread_sigmask(SIG_BLOCK, &pipeSignal, nullptr);  // a reader gone is told by EPIPE
    const std::string piece(100000, 'x');
    for (std::size_t left = count; left > 0;) {
      const ssize_t wrote = write(fd, piece.data(), std::min(left, piece.size()));
      if (wrote <= 0) break;
      left -= static_cast<std::size_t>(wrote);
    }
    close(fd);
  });
}

// The owner's text is read whole up to the most bytes, in whatever reads it comes in; an owner
// that sends more, or never stops, fails the read once the bytes pass the most.
TEST(Offer, ReadsTheWholeTextUpToTheMostBytes) {
  struct Row {
    std::size_t sent, mostBytes;
    const char* reason;  // empty for a read that succeeds
  };
  constexpr std::size_t kMiB = std::size_t{1} << 20;
  const Row rows[] = {
      {0, kMiB, ""},
      {3 * kMiB + 17, 4 * kMiB, ""},
      {4 * kMiB, 4 * kMiB, ""},
      {4 * kMiB + 1, 4 * kMiB, "the clipboard text is too large (4 MB)"},
      {std::size_t{1} << 40, kMiB, "the clipboard text is too large (1 MB)"},  // never stops
  };
  for (const Row& row : rows) {
    int ends[2];
    ASSERT_EQ(pipe(ends), 0);
    std::thread owner = Owner(ends[1], row.sent);
    std::string bytes;
    const Status read = ReadOwnersPipe(ends[0], bytes, row.mostBytes);
    close(ends[0]);
    owner.join();
    EXPECT_EQ(read.ok() ? "" : read.reason(), row.reason) << row.sent;
    if (read.ok()) {
      EXPECT_EQ(bytes, std::string(row.sent, 'x')) << row.sent;
    }
  }
}

// The text is read in the type that names its encoding where there is one, else in those X11
// programs offer, whatever their case; an offer without text has no type to read.
TEST(Offer, ReadsTextInTheBestTypeOffered) {
  struct Row {
    std::vector<std::string> offered;
    const char* chosen;
  };
  const Row rows[] = {
      {{"text/plain", "UTF8_STRING", "text/plain;charset=utf-8"}, "text/plain;charset=utf-8"},
      {{"TEXT/PLAIN;CHARSET=UTF-8"}, "TEXT/PLAIN;CHARSET=UTF-8"},
      {{"STRING", "text/plain", "UTF8_STRING"}, "UTF8_STRING"},
      {{"image/png", "text/plain"}, "text/plain"},
      {{"STRING", "TEXT"}, ""},
      {{"image/png"}, ""},
      {{}, ""},
  };
  for (const Row& row : rows)
    EXPECT_EQ(BestTextType(row.offered), row.chosen) << testing::PrintToString(row.offered);
}

}  // namespace
}  // namespace aspclip
