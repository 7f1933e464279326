#include "main.h"

int main(int argc, char** argv) {
  return aspconv::Main(std::vector<char*>(argv, argv + argc));
}
