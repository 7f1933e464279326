#include "arguments.h"

namespace aspclip {

CommandLine ReadCommandLine(const std::vector<std::string>& arguments,
                            HelpArguments helpArguments) {
  CommandLine line;
  for (const std::string& argument : arguments) {
    const bool help = argument == "--help" || argument == "-h" ||
                      (helpArguments == HelpArguments::kGnuAndWindows && argument == "/?");
    if (line.request == Request::kConvert && help) {
      line.request = Request::kHelp;
    } else if (line.request == Request::kConvert && argument == "--version") {
      line.request = Request::kVersion;
    } else {
      return {Request::kUnknownArgument, argument};
    }
  }
  return line;
}

std::string UsageText() {
  return "Usage: aspclip\n"
         "Converts the ASP page on the clipboard into Visual Basic code that builds the page's\n"
         "output in OutputString, and puts the code on the clipboard in its place.\n"
         "\n"
         "  -h, --help     show this help and exit\n"
         "      --version  show the version and exit\n";
}

std::string BoxUsageText() {
  return "Usage: aspclip\n"
         "\n"
         "Converts the ASP page on the clipboard into Visual Basic code that builds the page's "
         "output in OutputString, and puts the code on the clipboard in its place.\n"
         "\n"
         "/?, -h, --help: show this help\n"
         "--version: show the version\n";
}

std::string VersionText() {
  return "aspclip " ASPCLIP_VERSION "\n";
}

std::string UnknownArgumentText(const std::string& argument, std::string_view helpOption) {
  return "aspclip: unrecognized argument '" + argument + "'\nTry 'aspclip " +
         std::string(helpOption) + "'.\n";
}

}  // namespace aspclip
