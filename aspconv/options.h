// What aspconv makes of its command line.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "base/status.h"

namespace aspconv {

enum class Request { kConvert, kHelp, kVersion };

struct Options {
  Request request = Request::kConvert;
  bool raw = false;
  std::string encoding = "utf-8";
  std::optional<std::string> output;
  std::vector<std::string> operands;
};

// Reads the arguments, the program's name first; fails with a usage error's message.
aspclip::Status ParseOptions(std::vector<char*> argv, Options& options);

// Whether `argument` asks for help as the platform's own programs take it, besides -h and --help:
// "/?" on Windows.
bool IsPlatformHelp(const char* argument);

std::string UsageText();
std::string VersionText();

}  // namespace aspconv
