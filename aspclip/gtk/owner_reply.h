// Waiting for the clipboard's owner to answer a request, for as long as it makes progress.
#pragma once

#include <gtk/gtk.h>

#include <cstddef>
#include <utility>

#include "aspclip/clipboard_run.h"
#include "text/status.h"

namespace aspclip {

// One request to the clipboard's owner, answered through GTK's callbacks. The reply lives on the
// heap: when the owner answers after the run has given up, the late callback frees it.
template <typename Answer>
struct PendingReply {
  GMainLoop* loop = g_main_loop_new(nullptr, FALSE);
  bool answered = false;
  bool abandoned = false;
  Answer answer{};

  void Deliver(Answer value) {
    if (abandoned) {
      delete this;
      return;
    }
    answer = std::move(value);
    answered = true;
    g_main_loop_quit(loop);
  }

  ~PendingReply() { g_main_loop_unref(loop); }
};

// Waits for the owner while it makes progress: a large text comes in many pieces (INCR), each of
// them an X event for this program, and the owner's time runs from the last one. Any event counts:
// while a request is under way this program shows nothing that would have others. The pieces are
// counted, and once they pass kMostClipboardBytes the transfer is stopped for good.
class ProgressWatch {
 public:
  explicit ProgressWatch(GMainLoop* loop);
  ~ProgressWatch();
  ProgressWatch(const ProgressWatch&) = delete;
  ProgressWatch& operator=(const ProgressWatch&) = delete;

  // Why the wait ended without a reply: the owner stalled, or sent too much.
  Status Failure() const;

 private:
  static GdkFilterReturn OnEvent(GdkXEvent* event, GdkEvent*, gpointer self);
  static gboolean OnCheck(gpointer self);

  GMainLoop* loop_;
  gint64 last_;
  guint timer_ = 0;
  std::size_t received_ = 0;
};

// Runs a main loop until the reply arrives, or the owner has stalled or sent too much.
template <typename Answer>
Status AwaitReply(PendingReply<Answer>* reply) {
  const ProgressWatch watch(reply->loop);
  if (!reply->answered) g_main_loop_run(reply->loop);
  if (reply->answered) return Status::Ok();
  reply->abandoned = true;
  return watch.Failure();
}

}  // namespace aspclip
