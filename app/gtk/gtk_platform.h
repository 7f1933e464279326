// The clipboard and message box of a Linux desktop, through GTK 3 on X11.
#pragma once

#include <gtk/gtk.h>

#include <string>

#include "app/platform.h"

namespace aspclip {

class GtkPlatform final : public Platform {
 public:
  // GTK must be initialised.
  GtkPlatform();
  GtkPlatform(const GtkPlatform&) = delete;
  GtkPlatform& operator=(const GtkPlatform&) = delete;

  Status AskForText(bool& holdsText) override;
  Status ReadText(std::string& page) override;
  Status PrepareText(const std::function<void(CodeSink&)>& convert) override;
  Status EmptyClipboard() override;
  Status PutPreparedText() override;
  Status ShowMessage(const std::string& message) override;
  void ShowFailure(const std::string& message) override;

  // True while the text this program put is still the clipboard's, nobody having copied since.
  bool OwnsClipboard() const { return owner_; }

  // Offers the text to a clipboard manager, then serves it until another program copies or the
  // process is asked to end.
  void ServeUntilReplaced();

 private:
  static void OnGet(GtkClipboard*, GtkSelectionData* data, guint, gpointer self);
  static void OnClear(GtkClipboard*, gpointer self);

  GtkClipboard* clipboard_;
  bool offersUtf8_ = false;
  bool owner_ = false;
  std::string prepared_;  // UTF-8 with the platform's LF line breaks
  GMainLoop* serveLoop_ = nullptr;
};

}  // namespace aspclip
