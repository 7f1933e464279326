// The code this program put on a Wayland clipboard, sent to each reader through the pipe the
// compositor hands over. Each pipe is written without blocking from GLib's main loop, so that a
// slow reader, or one that went away, never stalls the others.
#pragma once

#include <functional>
#include <list>
#include <string>

struct wl_proxy;

namespace aspclip {

class TextSource {
 public:
  // Takes `source`, a data-control source not yet offered, and offers it in every text type.
  // `cancelled` is called when another program replaces it.
  TextSource(wl_proxy* source, std::string text, std::function<void()> cancelled);
  ~TextSource();
  TextSource(const TextSource&) = delete;
  TextSource& operator=(const TextSource&) = delete;

  // True until the source is cancelled; readers under way still get the rest of their text.
  bool Owned() const { return source_ != nullptr; }
  bool Serving() const { return !transfers_.empty(); }
  void Cancel();

 private:
  struct Transfer {
    TextSource* owner;
    int fd;
    std::size_t sent = 0;
    unsigned watch = 0;
  };
  struct Events;
  friend struct Events;

  void Send(int fd);
  // Writes what the pipe takes; false once the transfer is over, whether done or not.
  bool WriteSome(Transfer& transfer);
  void End(std::list<Transfer>::iterator transfer);

  wl_proxy* source_;
  std::string text_;
  std::function<void()> cancelled_;
  std::list<Transfer> transfers_;
};

}  // namespace aspclip
