#include "desktop_platform.h"

#include <glib-unix.h>

#include <csignal>
#include <cstdio>
#include <new>
#include <utility>

#include "aspclip/clipboard_run.h"
#include "clipboard_text.h"

namespace aspclip {

DesktopPlatform::DesktopPlatform(SignalDuringBox duringBox, std::function<Status()> startGtk)
    : duringBox_(duringBox), startGtk_(std::move(startGtk)) {
  const auto stop = [](gpointer self) -> gboolean {
    auto* platform = static_cast<DesktopPlatform*>(self);
    if (platform->box_ != nullptr) {
      gtk_dialog_response(GTK_DIALOG(platform->box_), GTK_RESPONSE_DELETE_EVENT);
      if (platform->duringBox_ == SignalDuringBox::kClosesBox) return G_SOURCE_CONTINUE;
    }
    platform->stopRequested_ = true;
    platform->EndServing();
    return G_SOURCE_CONTINUE;
  };
  for (int signal : {SIGTERM, SIGHUP, SIGINT})
    signalSources_.push_back(g_unix_signal_add(signal, stop, this));
}

DesktopPlatform::~DesktopPlatform() {
  for (const guint source : signalSources_)
    g_source_remove(source);
}

Status DesktopPlatform::PrepareText(const std::function<void(CodeSink&)>& convert) {
  LfSink sink(prepared_);
  try {
    convert(sink);
  } catch (const std::bad_alloc&) {
    std::string().swap(prepared_);  // the box that tells of it needs the memory
    throw;
  }
  return Status::Ok();
}

Status DesktopPlatform::ShowMessage(const std::string& message) {
  return RunBox(GTK_MESSAGE_OTHER, message);
}

void DesktopPlatform::ShowFailure(const std::string& message) {
  std::fprintf(stderr, "%s: %s\n", kApplicationTitle, message.c_str());
  [[maybe_unused]] const Status shown = RunBox(GTK_MESSAGE_ERROR, message);  // said above anyway
}

void DesktopPlatform::PresentBox() {
  if (box_ != nullptr) gtk_window_present(GTK_WINDOW(box_));
}

Status DesktopPlatform::RunBox(GtkMessageType type, const std::string& message) {
  if (stopRequested_) return Status::Ok();  // asked to end before the box could show
  // GTK is started once; where it could not be, no later box is tried on it either.
  if (startGtk_) gtkStarted_ = std::exchange(startGtk_, nullptr)();
  if (!gtkStarted_.ok()) return gtkStarted_;
  box_ = gtk_message_dialog_new(nullptr, GTK_DIALOG_MODAL, type, GTK_BUTTONS_OK, "%s",
                                message.c_str());
  gtk_window_set_title(GTK_WINDOW(box_), kApplicationTitle);
  gtk_window_set_position(GTK_WINDOW(box_), GTK_WIN_POS_CENTER);
  // The box is the run's only window: a box that opens behind the editor is found in the taskbar.
  gtk_window_set_skip_taskbar_hint(GTK_WINDOW(box_), FALSE);
  g_signal_connect(box_, "map", G_CALLBACK(+[](GtkWidget* box, gpointer self) {
                     auto* platform = static_cast<DesktopPlatform*>(self);
                     if (platform->boxShown_) {
                       platform->boxShown_(gtk_widget_get_window(box));
                     }
                   }),
                   this);
  gtk_dialog_run(GTK_DIALOG(box_));
  gtk_widget_destroy(box_);
  box_ = nullptr;
  while (gtk_events_pending())
    gtk_main_iteration();  // let the box unmap before the run goes on
  return Status::Ok();
}

void DesktopPlatform::Serve() {
  if (stopRequested_) return;
  serveLoop_ = g_main_loop_new(nullptr, FALSE);
  g_main_loop_run(serveLoop_);
  g_main_loop_unref(serveLoop_);
  serveLoop_ = nullptr;
}

void DesktopPlatform::EndServing() {
  if (serveLoop_ != nullptr) g_main_loop_quit(serveLoop_);
}

void DesktopPlatform::FinishTransfers(const std::function<bool()>& transferring) {
  bool pastBound = false;
  const guint bound = g_timeout_add(
      kHandOffMs,
      [](gpointer flag) {
        *static_cast<bool*>(flag) = true;
        return G_SOURCE_REMOVE;
      },
      &pastBound);
  while (transferring() && !pastBound)
    g_main_context_iteration(nullptr, TRUE);
  if (!pastBound) g_source_remove(bound);
}

}  // namespace aspclip
