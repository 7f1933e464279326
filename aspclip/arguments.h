// What aspclip makes of its command line. With no argument it converts; its options only tell about
// the program, and nothing else is accepted, so that no argument ever touches the clipboard.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace aspclip {

enum class Request { kConvert, kHelp, kVersion, kUnknownArgument };

struct CommandLine {
  Request request = Request::kConvert;
  std::string unknown;  // the first argument not understood
};

// Which arguments ask for help: -h and --help, and on Windows "/?" too, as its programs take it.
enum class HelpArguments { kGnu, kGnuAndWindows };

// `arguments` leaves out the program's name.
CommandLine ReadCommandLine(const std::vector<std::string>& arguments, HelpArguments help);

// The usage for a terminal; and for a message box, which wraps paragraphs itself and has no
// columns to line options up in.
std::string UsageText();
std::string BoxUsageText();
std::string VersionText();
// The error and a hint where help is: `helpOption` as the platform's users ask for it.
std::string UnknownArgumentText(const std::string& argument, std::string_view helpOption);

}  // namespace aspclip
