// stopwatch RUNS INPUT COMMAND [ARGUMENT...]: runs the command RUNS times, its standard input read
// from INPUT and its standard output thrown away, and prints the fastest run in milliseconds.
// Each run is timed from just before the command is started to just after it has ended, so that
// no other process's start is counted, as a shell's `date` around the command would count its own.
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

extern char** environ;

namespace {

// One run's time in milliseconds; negative when the command could not be run or failed.
double TimeRun(const char* input, char** command) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, input, O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  const auto start = std::chrono::steady_clock::now();
  pid_t child;
  const int spawned = posix_spawnp(&child, command[0], &actions, nullptr, command, environ);
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0) return -1;
  int status;
  if (waitpid(child, &status, 0) != child || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    return -1;
  }
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
      .count();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 4) {
    std::fprintf(stderr, "usage: stopwatch RUNS INPUT COMMAND [ARGUMENT...]\n");
    return 2;
  }
  const int runs = std::max(1, std::atoi(argv[1]));
  double best = 0;
  for (int run = 0; run < runs; ++run) {
    const double ms = TimeRun(argv[2], argv + 3);
    if (ms < 0) {
      std::fprintf(stderr, "stopwatch: %s failed\n", argv[3]);
      return 1;
    }
    best = run == 0 ? ms : std::min(best, ms);
  }
  std::printf("%.1f\n", best);
  return 0;
}
