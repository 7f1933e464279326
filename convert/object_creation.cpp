#include "object_creation.h"

#include "literal_rewrite.h"

namespace aspclip {

void RewriteObjectCreation(Text& text) {
  RewriteOutsideLiterals(text, u"Server.CreateObject(", u"CreateObject(");
}

}  // namespace aspclip
