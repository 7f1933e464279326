#include "gtk_platform.h"

#include <glib-unix.h>

#include <csignal>
#include <cstdio>
#include <new>
#include <optional>
#include <string_view>

#include "aspclip/clipboard_run.h"
#include "convert/scan/scan.h"
#include "owner_reply.h"
#include "text/line_breaks.h"
#include "text/utf8.h"

namespace aspclip {
namespace {

// How long a clipboard manager may take to copy the code before the run stops waiting for it.
constexpr guint kHandOffMs = 2000;

GdkAtom Utf8Target() {
  return gdk_atom_intern_static_string("UTF8_STRING");
}

struct Targets {
  bool text = false;
  bool utf8 = false;
};

// What the owner sent, checked and copied with CR LF line breaks in GTK's callback itself, before
// GTK frees it; an exception must not cross GTK's C frames, so running out of memory is recorded
// instead.
struct ReceivedText {
  bool sent = false;
  bool outOfMemory = false;
  std::size_t badByte = kNotFound;
  std::string page;
};

ReceivedText Receive(std::optional<std::string_view> bytes) {
  ReceivedText received;
  received.sent = bytes.has_value();
  if (!bytes) return received;
  received.badByte = FindInvalidUtf8(*bytes);
  if (received.badByte != kNotFound) return received;
  try {
    received.page = WithCrLf(*bytes);
  } catch (const std::bad_alloc&) {
    received.outOfMemory = true;
  }
  return received;
}

Status TakeText(ReceivedText& received, std::string& page) {
  if (!received.sent) return Status::Failed("the program that owns the clipboard sent no text");
  if (received.badByte != kNotFound) {
    return Status::Failed("the clipboard text is not valid UTF-8 (bad byte at offset " +
                          std::to_string(received.badByte) + ")");
  }
  if (received.outOfMemory) return Status::Failed("not enough memory for the clipboard text");
  page = std::move(received.page);
  return Status::Ok();
}

// The code with the platform's LF line breaks; a piece never ends inside a CR LF.
class LfSink final : public CodeSink {
 public:
  explicit LfSink(std::string& out) : out_(out) {}
  void Put(std::string_view piece) override { AppendWithLf(piece, out_); }

 private:
  std::string& out_;
};

}  // namespace

GtkPlatform::GtkPlatform() : clipboard_(gtk_clipboard_get(GDK_SELECTION_CLIPBOARD)) {
  const auto stop = [](gpointer self) -> gboolean {
    auto* platform = static_cast<GtkPlatform*>(self);
    platform->stopRequested_ = true;
    if (platform->box_ != nullptr) {
      gtk_dialog_response(GTK_DIALOG(platform->box_), GTK_RESPONSE_DELETE_EVENT);
    }
    if (platform->serveLoop_ != nullptr) g_main_loop_quit(platform->serveLoop_);
    return G_SOURCE_CONTINUE;
  };
  for (int signal : {SIGTERM, SIGHUP, SIGINT})
    signalSources_.push_back(g_unix_signal_add(signal, stop, this));
}

GtkPlatform::~GtkPlatform() {
  for (const guint source : signalSources_)
    g_source_remove(source);
}

void GtkPlatform::RunBox(GtkMessageType type, const std::string& message) {
  if (stopRequested_) return;  // asked to end before the box could show
  box_ = gtk_message_dialog_new(nullptr, GTK_DIALOG_MODAL, type, GTK_BUTTONS_OK, "%s",
                                message.c_str());
  gtk_window_set_title(GTK_WINDOW(box_), kApplicationTitle);
  gtk_window_set_position(GTK_WINDOW(box_), GTK_WIN_POS_CENTER);
  g_signal_connect(box_, "map", G_CALLBACK(+[](GtkWidget* box, gpointer self) {
                     auto* platform = static_cast<GtkPlatform*>(self);
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
}

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

Status GtkPlatform::PrepareText(const std::function<void(CodeSink&)>& convert) {
  LfSink sink(prepared_);
  try {
    convert(sink);
  } catch (const std::bad_alloc&) {
    std::string().swap(prepared_);  // the box that tells of it needs the memory
    throw;
  }
  return Status::Ok();
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
  largeText_ = std::make_unique<LargeTextServer>(clipboard_, prepared_);
  gtk_clipboard_set_can_store(clipboard_, nullptr, 0);
  return Status::Ok();
}

Status GtkPlatform::ShowMessage(const std::string& message) {
  RunBox(GTK_MESSAGE_OTHER, message);
  return Status::Ok();
}

void GtkPlatform::ShowFailure(const std::string& message) {
  std::fprintf(stderr, "%s: %s\n", kApplicationTitle, message.c_str());
  RunBox(GTK_MESSAGE_ERROR, message);
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
// Bounded like the hand-off.
void GtkPlatform::FinishTransfers() {
  bool pastBound = false;
  const guint bound = g_timeout_add(
      kHandOffMs,
      [](gpointer flag) {
        *static_cast<bool*>(flag) = true;
        return G_SOURCE_REMOVE;
      },
      &pastBound);
  while (owner_ && largeText_->Serving() && !pastBound)
    g_main_context_iteration(nullptr, TRUE);
  if (!pastBound) g_source_remove(bound);
}

void GtkPlatform::ServeUntilReplaced() {
  HandOffToManager();
  if (owner_ && !stopRequested_) {
    serveLoop_ = g_main_loop_new(nullptr, FALSE);
    g_main_loop_run(serveLoop_);
    g_main_loop_unref(serveLoop_);
    serveLoop_ = nullptr;
  }
  if (stopRequested_) FinishTransfers();
}

void GtkPlatform::OnGet(GtkClipboard*, GtkSelectionData* data, guint, gpointer self) {
  const std::string& text = static_cast<GtkPlatform*>(self)->prepared_;
  gtk_selection_data_set_text(data, text.data(), static_cast<gint>(text.size()));
}

void GtkPlatform::OnClear(GtkClipboard*, gpointer self) {
  auto* platform = static_cast<GtkPlatform*>(self);
  platform->owner_ = false;
  for (GMainLoop* loop : {platform->handOffLoop_, platform->serveLoop_}) {
    if (loop != nullptr) g_main_loop_quit(loop);
  }
}

}  // namespace aspclip
