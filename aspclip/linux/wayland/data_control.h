// The clipboard of a Wayland compositor through its data-control protocol, the one clipboard tools
// and clipboard managers use: it needs no window and no keyboard focus, where an X11 program's
// request through XWayland is answered by some compositors only while one of its windows has the
// focus. The standard protocol is preferred to the older wlroots one; both have the same requests
// and events, in the same order.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "base/status.h"

struct wl_display;
struct wl_proxy;
struct wl_registry;

namespace aspclip {

struct DataControlProtocol;
class TextSource;

class DataControlClipboard {
 public:
  // Null when WAYLAND_DISPLAY names no compositor, or one that offers no data control.
  static std::unique_ptr<DataControlClipboard> Connect();
  ~DataControlClipboard();
  DataControlClipboard(const DataControlClipboard&) = delete;
  DataControlClipboard& operator=(const DataControlClipboard&) = delete;

  // The compositor's display, as WAYLAND_DISPLAY names it.
  const std::string& DisplayName() const { return displayName_; }

  // The best type the clipboard's content is offered in as text; empty when it holds no text.
  std::string TextType() const;
  // The content in `type`, as its owner sends it. The owner may go kOwnerAnswerMs without sending
  // anything, and send at most kMostClipboardBytes.
  Status Read(const std::string& type, std::string& bytes);

  // Makes `text` (UTF-8 with LF line breaks) the clipboard's content, served from GLib's main
  // loop until another program sets the clipboard.
  Status Own(std::string text);
  bool Owns() const;
  // True while a reader has not yet had all of its text.
  bool Serving() const;
  // Called once the code is no longer the clipboard's: another program set it, or the compositor
  // went away.
  void OnReplaced(std::function<void()> replaced) { replaced_ = std::move(replaced); }

  struct Offer {
    wl_proxy* proxy;
    std::vector<std::string> types;
  };

 private:
  DataControlClipboard(wl_display* display, std::string displayName);
  bool FindGlobals();
  void WatchConnection();
  void ReplaceSelection(Offer* offer);
  void Replaced();

  struct Events;  // the compositor's events, handled through libwayland's listeners
  friend struct Events;

  wl_display* display_;
  std::string displayName_;
  wl_registry* registry_ = nullptr;
  const DataControlProtocol* protocol_ = nullptr;
  wl_proxy* seat_ = nullptr;
  wl_proxy* manager_ = nullptr;
  wl_proxy* device_ = nullptr;
  Offer* selection_ = nullptr;
  std::unique_ptr<TextSource> source_;
  unsigned watch_ = 0;  // GLib's source of the connection's events
  std::function<void()> replaced_;
};

}  // namespace aspclip
