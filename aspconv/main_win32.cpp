#include <fcntl.h>
#include <io.h>

#include <string>

#include "main.h"
#include "text/wide_strings.h"

// Paths and arguments come as UTF-16 and are carried as UTF-8 to the options and back to the file
// system, which std::filesystem does on its own.
int wmain(int argc, wchar_t** wargv) {
  _setmode(_fileno(stdin), _O_BINARY);
  std::vector<std::string> arguments;
  for (int i = 0; i < argc; ++i)
    arguments.push_back(aspclip::Wtf8FromWide(wargv[i]));
  std::vector<char*> argv;
  for (std::string& argument : arguments)
    argv.push_back(argument.data());
  return aspconv::Main(argv);
}
