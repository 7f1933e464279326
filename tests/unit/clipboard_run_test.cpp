#include "aspclip/clipboard_run.h"

#include <gtest/gtest.h>

#include <new>
#include <optional>
#include <string>
#include <vector>

namespace aspclip {
namespace {

// A clipboard in memory that records each call and fails the one it is told to.
class FakePlatform final : public Platform {
 public:
  std::optional<std::string> clipboard;  // UTF-8 with CR LF line breaks
  std::string failAt;                    // the call that fails, by name
  bool throwOnPrepare = false;
  std::vector<std::string> calls;
  std::vector<std::string> messages;

  Status AskForText(bool& holdsText) override {
    holdsText = clipboard.has_value();
    return Record("ask");
  }
  Status ReadText(std::string& page) override {
    if (clipboard) page = *clipboard;
    return Record("read");
  }
  Status PrepareText(const std::function<void(CodeSink&)>& convert) override {
    if (throwOnPrepare) throw std::bad_alloc();
    struct : CodeSink {
      std::string code;
      void Put(std::string_view piece) override { code += piece; }
    } sink;
    convert(sink);
    prepared_ = sink.code;
    return Record("prepare");
  }
  Status EmptyClipboard() override {
    Status status = Record("empty");
    if (status.ok()) clipboard.reset();
    return status;
  }
  Status PutPreparedText() override {
    Status status = Record("put");
    if (status.ok()) clipboard = prepared_;
    return status;
  }
  Status ShowMessage(const std::string& message) override {
    Status status = Record("show");
    if (status.ok()) messages.push_back(message);
    return status;
  }
  void ShowFailure(const std::string& message) override {
    calls.push_back("failure");
    messages.push_back(message);
  }

 private:
  Status Record(const std::string& call) {
    calls.push_back(call);
    return call == failAt ? Status::Failed("it broke") : Status::Ok();
  }
  std::string prepared_;
};

using Calls = std::vector<std::string>;

TEST(ClipboardRun, ConvertsThePageInPlace) {
  FakePlatform platform;
  platform.clipboard = "a<%=b%>";
  EXPECT_EQ(ConvertClipboard(platform), kExitSuccess);
  EXPECT_EQ(platform.calls, (Calls{"ask", "read", "prepare", "empty", "put", "show"}));
  EXPECT_EQ(platform.messages, Calls{"Code converted"});
  EXPECT_EQ(platform.clipboard, "\r\nOutputString = OutputString & \"a\" & b\r\n");
}

TEST(ClipboardRun, ALeadingByteOrderMarkIsNoPageText) {
  FakePlatform platform;
  platform.clipboard = "\xEF\xBB\xBFx";
  EXPECT_EQ(ConvertClipboard(platform), kExitSuccess);
  EXPECT_EQ(platform.clipboard, "\r\nOutputString = OutputString & \"x\"\r\n");
}

TEST(ClipboardRun, EmptyTextIsConvertedToEmptyText) {
  FakePlatform platform;
  platform.clipboard = "";
  EXPECT_EQ(ConvertClipboard(platform), kExitSuccess);
  EXPECT_EQ(platform.clipboard, "");
  EXPECT_EQ(platform.messages, Calls{"Code converted"});
}

TEST(ClipboardRun, NoTextLeavesTheClipboardAlone) {
  FakePlatform platform;
  EXPECT_EQ(ConvertClipboard(platform), kExitSuccess);
  EXPECT_EQ(platform.calls, (Calls{"ask", "show"}));
  EXPECT_EQ(platform.messages, Calls{"Please copy ASP code into clipboard."});
}

TEST(ClipboardRun, EachFailingStepShowsOneMessageAndStops) {
  struct Case {
    std::string failAt;
    Calls calls;
    std::string message;
    bool clipboardKept;
  };
  const Case cases[] = {
      {"ask", {"ask", "failure"}, "Could not check the clipboard for text: it broke", true},
      {"read", {"ask", "read", "failure"}, "Could not read the clipboard: it broke", true},
      {"prepare",
       {"ask", "read", "prepare", "failure"},
       "Could not prepare the converted code: it broke",
       true},
      {"empty",
       {"ask", "read", "prepare", "empty", "failure"},
       "Could not empty the clipboard: it broke",
       true},
      {"put",
       {"ask", "read", "prepare", "empty", "put", "failure"},
       "Could not put the converted code on the clipboard: it broke",
       false},
      {"show",
       {"ask", "read", "prepare", "empty", "put", "show", "failure"},
       "Could not show a message: it broke",
       true},
  };
  for (const Case& c : cases) {
    FakePlatform platform;
    platform.clipboard = "page";
    platform.failAt = c.failAt;
    EXPECT_EQ(ConvertClipboard(platform), kExitFailure) << c.failAt;
    EXPECT_EQ(platform.calls, c.calls) << c.failAt;
    EXPECT_EQ(platform.messages, Calls{c.message}) << c.failAt;
    EXPECT_EQ(platform.clipboard.has_value(), c.clipboardKept) << c.failAt;
  }
}

TEST(ClipboardRun, RunningOutOfMemoryBeforeTheWriteKeepsThePage) {
  FakePlatform platform;
  platform.clipboard = "page";
  platform.throwOnPrepare = true;
  EXPECT_EQ(ConvertClipboard(platform), kExitFailure);
  EXPECT_EQ(platform.clipboard, "page");
  EXPECT_EQ(platform.messages, Calls{"Could not convert the page: not enough memory"});
}

}  // namespace
}  // namespace aspclip
