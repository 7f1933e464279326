// What both Linux adapters share: GTK's message box, the signals that end a run, and the main loop
// that serves the code once the box is closed. Each adapter adds its clipboard: X11's through
// GTK (GtkPlatform), or a Wayland compositor's through data control (WaylandPlatform).
#pragma once

#include <gtk/gtk.h>

#include <functional>
#include <string>
#include <vector>

#include "aspclip/platform.h"

namespace aspclip {

// How long a clipboard manager may take to copy the code, or a reader to finish taking it, once
// the run is over before the process stops waiting for it.
inline constexpr guint kHandOffMs = 2000;

// What SIGTERM, SIGHUP or SIGINT does that comes while the box shows, besides closing it.
enum class SignalDuringBox {
  kEndsRun,    // the code is served no longer, once a clipboard manager has had it
  kClosesBox,  // the code is served as after OK
};

class DesktopPlatform : public Platform {
 public:
  // GTK must be initialised. SIGTERM, SIGHUP and SIGINT are heard from the start of the run: one
  // that comes while the box shows closes it, and does as `duringBox` says; one that comes before
  // it, or while the code is served, ends the run, after the transfers of readers under way.
  // `startGtk`, where given, starts GTK before the first box.
  explicit DesktopPlatform(SignalDuringBox duringBox, std::function<Status()> startGtk = {});
  ~DesktopPlatform() override;
  DesktopPlatform(const DesktopPlatform&) = delete;
  DesktopPlatform& operator=(const DesktopPlatform&) = delete;

  // Into UTF-8 with the platform's LF line breaks.
  Status PrepareText(const std::function<void(CodeSink&)>& convert) final;
  Status ShowMessage(const std::string& message) final;
  void ShowFailure(const std::string& message) final;

  // Called with the window of each box as it shows.
  void OnBoxShown(std::function<void(GdkWindow* window)> shown) { boxShown_ = std::move(shown); }
  // Brings the box to the front, where one shows and the desktop allows it.
  void PresentBox();

  // True while the code this program put is still the clipboard's, nobody having copied since.
  virtual bool OwnsClipboard() const = 0;
  // Serves the code until another program copies or the process is asked to end.
  virtual void ServeUntilReplaced() = 0;

 protected:
  std::string& Prepared() { return prepared_; }
  bool StopRequested() const { return stopRequested_; }
  // Runs the main loop until EndServing, or a signal asks the run to end.
  void Serve();
  void EndServing();
  // Lets readers under way have the rest of the code, for at most kHandOffMs.
  void FinishTransfers(const std::function<bool()>& transferring);

 private:
  Status RunBox(GtkMessageType type, const std::string& message);

  std::string prepared_;
  SignalDuringBox duringBox_;
  std::function<Status()> startGtk_;
  Status gtkStarted_ = Status::Ok();
  GtkWidget* box_ = nullptr;  // while one shows
  GMainLoop* serveLoop_ = nullptr;
  bool stopRequested_ = false;
  std::vector<guint> signalSources_;
  std::function<void(GdkWindow* window)> boxShown_;
};

}  // namespace aspclip
