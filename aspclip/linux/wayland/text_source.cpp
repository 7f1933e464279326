#include "text_source.h"

#include <fcntl.h>
#include <glib-unix.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>

#include "protocol.h"

namespace aspclip {
namespace {

// The code is offered as X11 programs look for it through XWayland, too.
constexpr const char* kOfferedTypes[] = {"text/plain;charset=utf-8", "text/plain", "UTF8_STRING",
                                         "STRING", "TEXT"};

}  // namespace

struct TextSource::Events {
  static void Send(void* self, ext_data_control_source_v1*, const char*, int32_t fd) {
    static_cast<TextSource*>(self)->Send(fd);
  }
  static void Cancelled(void* self, ext_data_control_source_v1*) {
    auto* source = static_cast<TextSource*>(self);
    source->Cancel();
    if (source->cancelled_) source->cancelled_();
  }
  static gboolean Writable(int, GIOCondition, gpointer transfer) {
    auto* sending = static_cast<Transfer*>(transfer);
    if (sending->owner->WriteSome(*sending)) return G_SOURCE_CONTINUE;
    sending->watch = 0;
    TextSource* owner = sending->owner;
    for (auto it = owner->transfers_.begin(); it != owner->transfers_.end(); ++it) {
      if (&*it == sending) {
        owner->End(it);
        break;
      }
    }
    return G_SOURCE_REMOVE;
  }
};

TextSource::TextSource(wl_proxy* source, std::string text, std::function<void()> cancelled)
    : source_(source), text_(std::move(text)), cancelled_(std::move(cancelled)) {
  // A reader that closes its end early is a reader gone, told by EPIPE, not a reason to end.
  std::signal(SIGPIPE, SIG_IGN);
  static constexpr ext_data_control_source_v1_listener kListener{Events::Send, Events::Cancelled};
  Listen(source_, kListener, this);
  for (const char* type : kOfferedTypes)
    OfferType(source_, type);
}

TextSource::~TextSource() {
  while (!transfers_.empty())
    End(transfers_.begin());
  Cancel();
}

void TextSource::Cancel() {
  if (source_ == nullptr) return;
  DestroyObject(source_, EXT_DATA_CONTROL_SOURCE_V1_DESTROY);
  source_ = nullptr;
}

void TextSource::Send(int fd) {
  if (fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK) != 0 || text_.empty()) {
    close(fd);
    return;
  }
  Transfer& transfer = transfers_.emplace_back(Transfer{this, fd});
  transfer.watch = g_unix_fd_add(fd, static_cast<GIOCondition>(G_IO_OUT | G_IO_ERR | G_IO_HUP),
                                 Events::Writable, &transfer);
}

bool TextSource::WriteSome(Transfer& transfer) {
  while (transfer.sent < text_.size()) {
    const ssize_t written =
        write(transfer.fd, text_.data() + transfer.sent, text_.size() - transfer.sent);
    if (written > 0) {
      transfer.sent += static_cast<std::size_t>(written);
    } else if (errno == EAGAIN) {
      return true;
    } else if (errno != EINTR) {
      return false;  // EPIPE: the reader is gone
    }
  }
  return false;
}

void TextSource::End(std::list<Transfer>::iterator transfer) {
  if (transfer->watch != 0) g_source_remove(transfer->watch);
  close(transfer->fd);
  transfers_.erase(transfer);
}

}  // namespace aspclip
