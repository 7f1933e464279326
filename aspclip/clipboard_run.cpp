#include "clipboard_run.h"

#include <new>

#include "convert/parallel.h"
#include "base/workers.h"
#include "text/utf8.h"

namespace aspclip {
namespace {

int Fail(Platform& platform, const std::string& operation, const std::string& reason) {
  platform.ShowFailure("Could not " + operation + ": " + reason);
  return kExitFailure;
}

// Reads, converts and prepares; nothing here touches what the clipboard holds.
Status PrepareConvertedText(Platform& platform, std::string& failedOperation) {
  std::string page;
  try {
    failedOperation = "read the clipboard";
    if (Status read = platform.ReadText(page); !read.ok()) return read;
    // A leading byte-order mark is no text of the page, as aspconv reads it too.
    if (page.starts_with(kByteOrderMark)) page.erase(0, kByteOrderMark.size());
    // The code is converted straight into the clipboard's form: running out of memory on the way
    // is the conversion's failure, and any other the preparation's.
    failedOperation = "convert the page";
    Status prepared = platform.PrepareText(
        [&page](CodeSink& sink) { ConvertAspCodeInChunks(page, sink, Cores()); });
    if (!prepared.ok()) failedOperation = "prepare the converted code";
    return prepared;
  } catch (const std::bad_alloc&) {
    return Status::Failed("not enough memory");
  }
}

}  // namespace

Status OwnerDidNotAnswer() {
  return Status::Failed("the program that owns the clipboard did not answer within " +
                        std::to_string(kOwnerAnswerMs / 1000) + " seconds");
}

Status ClipboardTextTooLarge(std::size_t received) {
  constexpr std::size_t kBytesPerMegabyte = std::size_t{1} << 20;
  return Status::Failed("the clipboard text is too large (" +
                        std::to_string(received / kBytesPerMegabyte) + " MB)");
}

int ConvertClipboard(Platform& platform) {
  bool holdsText = false;
  if (Status asked = platform.AskForText(holdsText); !asked.ok()) {
    return Fail(platform, "check the clipboard for text", asked.reason());
  }
  if (!holdsText) {
    Status shown = platform.ShowMessage(kNoTextMessage);
    return shown.ok() ? kExitSuccess : Fail(platform, "show a message", shown.reason());
  }
  std::string operation;
  if (Status prepared = PrepareConvertedText(platform, operation); !prepared.ok()) {
    return Fail(platform, operation, prepared.reason());
  }
  if (Status emptied = platform.EmptyClipboard(); !emptied.ok()) {
    return Fail(platform, "empty the clipboard", emptied.reason());
  }
  if (Status put = platform.PutPreparedText(); !put.ok()) {
    return Fail(platform, "put the converted code on the clipboard", put.reason());
  }
  Status shown = platform.ShowMessage(kConvertedMessage);
  return shown.ok() ? kExitSuccess : Fail(platform, "show a message", shown.reason());
}

}  // namespace aspclip
