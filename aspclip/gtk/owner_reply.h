// Waiting for the clipboard's owner to answer a request, for as long as it makes progress.
#pragma once

#include <gtk/gtk.h>

#include <utility>

namespace aspclip {

// How long the clipboard's owner may go without sending anything before the run gives up on it.
inline constexpr guint kOwnerAnswerMs = 5000;

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
// while a request is under way this program shows nothing that would have others.
class ProgressWatch {
 public:
  explicit ProgressWatch(GMainLoop* loop) : loop_(loop), last_(g_get_monotonic_time()) {
    gdk_window_add_filter(nullptr, OnEvent, this);
    timer_ = g_timeout_add(kCheckMs, OnCheck, this);
  }
  ~ProgressWatch() {
    gdk_window_remove_filter(nullptr, OnEvent, this);
    if (timer_ != 0) g_source_remove(timer_);
  }
  ProgressWatch(const ProgressWatch&) = delete;
  ProgressWatch& operator=(const ProgressWatch&) = delete;

 private:
  static constexpr guint kCheckMs = kOwnerAnswerMs / 20;
  static constexpr gint64 kMicrosecondsPerMs = 1000;

  static GdkFilterReturn OnEvent(GdkXEvent*, GdkEvent*, gpointer self) {
    static_cast<ProgressWatch*>(self)->last_ = g_get_monotonic_time();
    return GDK_FILTER_CONTINUE;
  }
  static gboolean OnCheck(gpointer self) {
    auto* watch = static_cast<ProgressWatch*>(self);
    if (g_get_monotonic_time() - watch->last_ < kOwnerAnswerMs * kMicrosecondsPerMs) {
      return G_SOURCE_CONTINUE;
    }
    watch->timer_ = 0;
    g_main_loop_quit(watch->loop_);
    return G_SOURCE_REMOVE;
  }

  GMainLoop* loop_;
  gint64 last_;
  guint timer_ = 0;
};

// Runs a main loop until the reply arrives or the owner has stalled; nullptr when it has.
template <typename Answer>
PendingReply<Answer>* AwaitReply(PendingReply<Answer>* reply) {
  {
    const ProgressWatch watch(reply->loop);
    if (!reply->answered) g_main_loop_run(reply->loop);
  }
  if (!reply->answered) {
    reply->abandoned = true;
    return nullptr;
  }
  return reply;
}

}  // namespace aspclip
