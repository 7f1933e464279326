// Words for the user on standard output or error. On Windows a console is written in Unicode, so
// that a name beyond ASCII shows as it is, and a file or pipe in UTF-8 with CR LF line breaks.
#pragma once

#include <cstdio>
#include <string>

namespace aspconv {

void Say(std::FILE* stream, const std::string& text);

// Standard output carries code byte for byte from here on: no CR is put before an LF.
void StandardOutputForCode();

}  // namespace aspconv
