#include "gtk_platform.h"

#include <new>
#include <optional>
#include <string_view>

#include "clipboard_text.h"
#include "owner_reply.h"

namespace aspclip {
namespace {

GdkAtom Utf8Target() {
  return gdk_atom_intern_static_string("UTF8_STRING");
}

struct Targets {
  bool text = false;
  bool utf8 = false;
};

}  // namespace

// The code that a signal during the box leaves is handed to the clipboard manager, as the desktop
// asks at logout.
GtkPlatform::GtkPlatform()
    : DesktopPlatform(SignalDuringBox::kEndsRun),
      clipboard_(gtk_clipboard_get(GDK_SELECTION_CLIPBOARD)) {}

Status GtkPlatform::AskForText(bool& holdsText) {
  // The owner's list of formats is asked for even when it would hand over text anyway: some owners
  // answer any request with their data, a picture included.
  auto* reply = new PendingReply<Targets>;
  gtk_clipboard_request_targets(
      clipboard_,
      [](GtkClipboard*, GdkAtom* atoms, gint count, gpointer pending) {
        Targets targets;
        targets.text = atoms != nullptr && gtk_targets_include_text(atoms, count);
        for (gint i = 0; atoms != nullptr && i < count; ++i) {
          targets.utf8 = targets.utf8 || atoms[i] == Utf8Target();
        }
        static_cast<PendingReply<Targets>*>(pending)->Deliver(targets);
      },
      reply);
  if (Status awaited = AwaitReply(reply); !awaited.ok()) return awaited;
  holdsText = reply->answer.text;
  offersUtf8_ = reply->answer.utf8;
  delete reply;
  return Status::Ok();
}

Status GtkPlatform::ReadText(std::string& page) {
  auto* reply = new PendingReply<ReceivedText>;
  if (offersUtf8_) {
    // The raw UTF8_STRING keeps the text as copied: GTK's own text request drops an empty text and
    // turns CR LF into LF for some owners.
    gtk_clipboard_request_contents(
        clipboard_, Utf8Target(),
        [](GtkClipboard*, GtkSelectionData* data, gpointer pending) {
          std::optional<std::string_view> bytes;
          if (data != nullptr && gtk_selection_data_get_length(data) >= 0) {
            const auto* start = reinterpret_cast<const char*>(gtk_selection_data_get_data(data));
            bytes.emplace(start ? start : "",
                          static_cast<std::size_t>(gtk_selection_data_get_length(data)));
          }
          static_cast<PendingReply<ReceivedText>*>(pending)->Deliver(Receive(bytes));
        },
        reply);
  } else {
    gtk_clipboard_request_text(
        clipboard_,
        [](GtkClipboard*, const gchar* utf8, gpointer pending) {
          static_cast<PendingReply<ReceivedText>*>(pending)->Deliver(
              Receive(utf8 != nullptr ? std::optional<std::string_view>(utf8) : std::nullopt));
        },
        reply);
  }
  if (Status awaited = AwaitReply(reply); !awaited.ok()) return awaited;
  Status taken = TakeText(reply->answer, page);
  delete reply;
  return taken;
}

// Taking the clipboard's ownership replaces every format of the old owner at once, so the clipboard
// is not emptied first: an ownership set to none in between is what clipboard managers take for an
// emptied clipboard, and some then lose the code that follows.
Status GtkPlatform::PutPreparedText() {
  GtkTargetList* list = gtk_target_list_new(nullptr, 0);
  gtk_target_list_add_text_targets(list, 0);
  gint count = 0;
  GtkTargetEntry* targets = gtk_target_table_new_from_list(list, &count);
  gtk_target_list_unref(list);
  owner_ = gtk_clipboard_set_with_data(clipboard_, targets, static_cast<guint>(count), OnGet,
                                       OnClear, this);
  gtk_target_table_free(targets, count);
  if (!owner_)
    return Status::Failed("the X server did not make this program the clipboard's owner");
  largeText_ = std::make_unique<LargeTextServer>(clipboard_, Prepared());
  gtk_clipboard_set_can_store(clipboard_, nullptr, 0);
  return Status::Ok();
}

// The clipboard manager's protocol (SAVE_TARGETS), asked and awaited here rather than through
// gtk_clipboard_store, which waits up to 10 seconds whatever happens meanwhile.
void GtkPlatform::HandOffToManager() {
  GdkDisplay* display = gtk_clipboard_get_display(clipboard_);
  if (!owner_ || !gdk_display_supports_clipboard_persistence(display)) return;
  GtkWidget* requestor = gtk_invisible_new_for_screen(gdk_display_get_default_screen(display));
  gtk_widget_realize(requestor);
  handOffLoop_ = g_main_loop_new(nullptr, FALSE);
  g_signal_connect(requestor, "selection-notify-event",
                   G_CALLBACK(+[](GtkWidget*, GdkEventSelection* event, gpointer loop) {
                     if (event->selection == gdk_atom_intern_static_string("CLIPBOARD_MANAGER")) {
                       g_main_loop_quit(static_cast<GMainLoop*>(loop));
                     }
                     return TRUE;
                   }),
                   handOffLoop_);
  GSource* bound = g_timeout_source_new(kHandOffMs);
  g_source_set_callback(
      bound,
      [](gpointer loop) {
        g_main_loop_quit(static_cast<GMainLoop*>(loop));
        return G_SOURCE_REMOVE;
      },
      handOffLoop_, nullptr);
  g_source_attach(bound, nullptr);
  gdk_display_store_clipboard(display, gtk_widget_get_window(requestor), GDK_CURRENT_TIME, nullptr,
                              0);
  g_main_loop_run(handOffLoop_);  // the manager's reads are served meanwhile
  g_source_destroy(bound);
  g_source_unref(bound);
  gtk_widget_destroy(requestor);
  g_main_loop_unref(handOffLoop_);
  handOffLoop_ = nullptr;
}

// A reader that is taking a large code when the run is asked to end gets the rest of it first: a
// clipboard manager that keeps what it reads (rather than asking for a hand-off) then has it.
void GtkPlatform::ServeUntilReplaced() {
  HandOffToManager();
  if (owner_) Serve();
  if (StopRequested()) FinishTransfers([this] { return owner_ && largeText_->Serving(); });
}

void GtkPlatform::OnGet(GtkClipboard*, GtkSelectionData* data, guint, gpointer self) {
  const std::string& text = static_cast<GtkPlatform*>(self)->Prepared();
  gtk_selection_data_set_text(data, text.data(), static_cast<gint>(text.size()));
}

void GtkPlatform::OnClear(GtkClipboard*, gpointer self) {
  auto* platform = static_cast<GtkPlatform*>(self);
  platform->owner_ = false;
  if (platform->handOffLoop_ != nullptr) g_main_loop_quit(platform->handOffLoop_);
  platform->EndServing();
}

}  // namespace aspclip
