#include "offer.h"

#include <poll.h>
#include <unistd.h>

#include <cerrno>

#include "base/characters.h"

namespace aspclip {
namespace {

constexpr const char* kTextTypes[] = {"text/plain;charset=utf-8", "UTF8_STRING", "text/plain"};

constexpr std::size_t kReadBytes = 64 * 1024;

}  // namespace

std::string BestTextType(const std::vector<std::string>& types) {
  for (const char* wanted : kTextTypes) {
    for (const std::string& type : types) {
      if (LowerCase(type) == LowerCase(wanted)) return type;
    }
  }
  return {};
}

Status ReadOwnersPipe(int fd, std::string& bytes, std::size_t mostBytes) {
  pollfd readable{fd, POLLIN, 0};
  for (;;) {
    const int ready = poll(&readable, 1, static_cast<int>(kOwnerAnswerMs));
    if (ready < 0 && errno == EINTR) continue;
    if (ready < 0) return Status::FromErrno("cannot wait for the clipboard's text");
    if (ready == 0) return OwnerDidNotAnswer();
    const std::size_t had = bytes.size();
    bytes.resize(had + kReadBytes);
    const ssize_t got = read(fd, bytes.data() + had, kReadBytes);
    bytes.resize(had + (got > 0 ? static_cast<std::size_t>(got) : 0));
    if (got == 0) return Status::Ok();
    if (got < 0 && errno != EINTR && errno != EAGAIN) {
      return Status::FromErrno("cannot read the clipboard's text");
    }
    if (bytes.size() > mostBytes) return ClipboardTextTooLarge(bytes.size());
  }
}

}  // namespace aspclip
