#include "pipeline.h"

#include "object_creation.h"
#include "script_blocks.h"
#include "write_merge.h"

namespace aspclip {

void ConvertAspCode(Text& text) {
  SplitScriptBlocks(text);
  MergeWriteRuns(text);
  RewriteObjectCreation(text);
}

}  // namespace aspclip
