#include "console.h"

namespace aspconv {

void Say(std::FILE* stream, const std::string& text) {
  std::fputs(text.c_str(), stream);
}

void StandardOutputForCode() {}

std::unique_ptr<ConsoleText> ConsoleText::For(int) {
  return nullptr;  // a terminal takes the code's bytes as they are
}

}  // namespace aspconv
