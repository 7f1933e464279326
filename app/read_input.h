// Reading a whole input stream into memory.
#pragma once

#include <cstdio>
#include <string>

namespace aspclip {

// Appends everything `in` holds to `bytes`: a file in one read into a buffer of its size, a pipe
// in chunks. False on a read error (errno says which).
bool ReadAll(std::FILE* in, std::string& bytes);

}  // namespace aspclip
