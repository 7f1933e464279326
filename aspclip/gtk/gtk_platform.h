// The clipboard and message box of a Linux desktop, through GTK 3 on X11.
#pragma once

#include <gtk/gtk.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "aspclip/platform.h"
#include "large_text_server.h"

namespace aspclip {

class GtkPlatform final : public Platform {
 public:
  // GTK must be initialised.
  GtkPlatform();
  ~GtkPlatform() override;
  GtkPlatform(const GtkPlatform&) = delete;
  GtkPlatform& operator=(const GtkPlatform&) = delete;

  Status AskForText(bool& holdsText) override;
  Status ReadText(std::string& page) override;
  Status PrepareText(const std::function<void(CodeSink&)>& convert) override;
  Status PutPreparedText() override;
  Status ShowMessage(const std::string& message) override;
  void ShowFailure(const std::string& message) override;

  // Called with the window of each box as it shows.
  void OnBoxShown(std::function<void(GdkWindow* window)> shown) { boxShown_ = std::move(shown); }

  // True while the text this program put is still the clipboard's, nobody having copied since.
  bool OwnsClipboard() const { return owner_; }

  // Offers the text to a clipboard manager, then serves it until another program copies or the
  // process is asked to end (SIGTERM, SIGHUP or SIGINT, heard from the start of the run: one that
  // comes while the box shows closes it, and one that comes during the hand-off lets it finish;
  // the run then ends after the hand-off, and after the transfers of readers under way).
  void ServeUntilReplaced();

 private:
  void RunBox(GtkMessageType type, const std::string& message);
  void HandOffToManager();
  void FinishTransfers();

  static void OnGet(GtkClipboard*, GtkSelectionData* data, guint, gpointer self);
  static void OnClear(GtkClipboard*, gpointer self);

  GtkClipboard* clipboard_;
  bool offersUtf8_ = false;
  bool owner_ = false;
  std::string prepared_;                        // UTF-8 with the platform's LF line breaks
  std::unique_ptr<LargeTextServer> largeText_;  // from when the code is on the clipboard
  GMainLoop* handOffLoop_ = nullptr;
  GMainLoop* serveLoop_ = nullptr;
  GtkWidget* box_ = nullptr;  // while one shows
  bool stopRequested_ = false;
  std::vector<guint> signalSources_;
  std::function<void(GdkWindow* window)> boxShown_;
};

}  // namespace aspclip
