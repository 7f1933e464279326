#include "options.h"

#include <getopt.h>

#include <algorithm>
#include <string_view>

namespace aspconv {
namespace {

constexpr std::string_view kUsage =
    "Usage: aspconv [OPTION]... [FILE|DIR]...\n"
    "Converts ASP pages into Visual Basic code that builds each page's output in OutputString.\n"
    "\n"
    "With no FILE, or with -, reads standard input. One FILE is converted to standard output, or\n"
    "to OUT with -o. Several FILEs, or any DIR, need -o DIR: each FILE becomes DIR/NAME.vb, and\n"
    "the .asp and .inc files of each DIR are mirrored there with their relative paths.\n"
    "\n"
    "  -o, --output=OUT     write the code to OUT, a file or, for several inputs, a folder;\n"
    "                       - is standard output\n"
    "      --encoding=NAME  read pages and write code in NAME (default utf-8): windows-1252,\n"
    "                       iso-8859-1, utf-16le and whatever else the system converts;\n"
    "                       auto reads each page as UTF-8 where it is, else in the encoding\n"
    "                       it looks to be in, and writes its code in that encoding\n"
    "      --raw            pass line breaks to the converter as they are; by default a lone\n"
    "                       CR or LF is read as a line break, like CR LF\n"
    "  -h, --help           show this help and exit\n"
    "      --version        show the version and exit\n"
    "\n"
    "Exit status: 0 all converted, 1 some input could not be read, decoded or written, 2 a\n"
    "usage error.\n";

// The option getopt stopped at, as it was written: a long one is an argument of its own, which
// getopt has passed; a short one may stand in a cluster, and getopt tells which.
std::string OptionStoppedAt(const std::vector<char*>& argv) {
  const std::string_view argument = argv[optind - 1];
  if (argument.starts_with("--")) return std::string(argument.substr(0, argument.find('=')));
  return std::string("-") + static_cast<char>(optopt);
}

}  // namespace

aspclip::Status ParseOptions(std::vector<char*> argv, Options& options) {
  enum { kEncoding = 256, kRaw, kVersion };
  static const option kLongOptions[] = {
      {"output", required_argument, nullptr, 'o'},
      {"encoding", required_argument, nullptr, kEncoding},
      {"raw", no_argument, nullptr, kRaw},
      {"help", no_argument, nullptr, 'h'},
      {"version", no_argument, nullptr, kVersion},
      {nullptr, 0, nullptr, 0},
  };
  if (std::find_if(argv.begin() + 1, argv.end(), IsPlatformHelp) != argv.end()) {
    options.request = Request::kHelp;
    return aspclip::Status::Ok();
  }
  opterr = 0;  // the messages are ours, with the hint
  optind = 0;  // a fresh scan, whatever was parsed before
  optopt = 0;
  const int argc = static_cast<int>(argv.size());
  argv.push_back(nullptr);
  for (int option;
       (option = getopt_long(argc, argv.data(), ":ho:", kLongOptions, nullptr)) != -1;) {
    switch (option) {
      case 'o':  // "-" is standard output, as for curl and wget
        options.output =
            std::string_view(optarg) == "-" ? std::nullopt : std::optional<std::string>(optarg);
        break;
      case kEncoding:
        options.encoding = optarg;
        break;
      case kRaw:
        options.raw = true;
        break;
      case 'h':
        options.request = Request::kHelp;
        return aspclip::Status::Ok();
      case kVersion:
        options.request = Request::kVersion;
        return aspclip::Status::Ok();
      case ':':
        return aspclip::Status::Failed("option '" + OptionStoppedAt(argv) + "' needs a value");
      default:
        return aspclip::Status::Failed("unrecognized option '" + OptionStoppedAt(argv) + "'");
    }
  }
  options.operands.assign(argv.begin() + optind, argv.begin() + argc);
  return aspclip::Status::Ok();
}

std::string UsageText() {
  return std::string(kUsage);
}

std::string VersionText() {
  return "aspconv " ASPCLIP_VERSION "\n";
}

}  // namespace aspconv
