// The temporaries of a run, which no way of its ending leaves behind: each is known from before it
// is made until it is renamed or removed, and a SIGINT, SIGTERM or SIGHUP (Ctrl+C or the console
// closing on Windows) removes those there are before the run ends, with status 128 + its number.
#pragma once

#include <filesystem>
#include <functional>

namespace aspconv {

// Call once, first thing, before any other thread starts. A signal ignored at the start stays
// ignored.
void RemoveTemporariesOnSignals();

// What becomes of a temporary's name with a step: known from before the step (which makes it), or
// forgotten once it is done (it renamed or removed the temporary).
enum class Temporary { kKnown, kForgotten };

// Runs `step`, which makes, renames or removes the temporary `path`, so that a signal comes
// before it or after it.
void WithTemporary(const std::filesystem::path& path, Temporary afterwards,
                   const std::function<void()>& step);

}  // namespace aspconv
