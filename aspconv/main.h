// aspconv's run, from its arguments (UTF-8, WTF-8 on Windows) to its exit code; each platform's
// entry point hands them over.
#pragma once

#include <vector>

namespace aspconv {

int Main(std::vector<char*> argv);

}  // namespace aspconv
