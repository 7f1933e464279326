#include "wildcards.h"

namespace aspconv {

std::vector<std::string> ExpandWildcards(const std::vector<std::string>& operands,
                                         std::vector<aspclip::Status>&) {
  return operands;
}

}  // namespace aspconv
