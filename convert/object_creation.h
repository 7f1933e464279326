// The last pass: objects are created with the plain CreateObject function.
#pragma once

#include "text_ops.h"

namespace aspclip {

// Turns "Server.CreateObject(", in any case, into "CreateObject(" outside string literals.
void RewriteObjectCreation(Text& text);

}  // namespace aspclip
