// aspclip on a Linux desktop. The process forks before GTK starts: the foreground process returns
// once the message box is closed, while a detached child keeps the converted code on the clipboard
// (X11's and Wayland's clipboards live in their owner) until another program copies.
#include <fcntl.h>
#include <glib-unix.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "aspclip/arguments.h"
#include "aspclip/clipboard_run.h"
#include "aspclip/linux/wayland/data_control.h"
#include "aspclip/linux/x11/x11_clipboard.h"
#include "aspclip/run_lock.h"
#include "base/standard_streams.h"
#include "wayland_platform.h"
#include "x11_platform.h"

// Last, and Xlib's Status macro undone: its macros would clash with the names above.
#include <gdk/gdkwayland.h>
#include <gdk/gdkx.h>
#undef Status

namespace {

using aspclip::kApplicationTitle;

// The desktop entry's name, which a Wayland compositor finds the icon through.
constexpr const char* kDesktopEntryId = "org.aspclip.aspclip";
// What a second start sends the run whose box shows on Wayland, where no program can raise
// another's window: that run brings its box to the front itself.
constexpr int kRaiseSignal = SIGUSR1;

// What the child tells the foreground process once the box is closed.
struct Verdict {
  unsigned char exitCode;
  unsigned char serving;
};

// The process that shows the box, while the foreground process waits for it.
volatile sig_atomic_t boxProcess = 0;

void PassOn(int signal) {
  if (boxProcess > 0) kill(static_cast<pid_t>(boxProcess), signal);
}

// A signal to the process the user started (kill, Ctrl-C, logout) goes on to the process that
// shows the box, which closes it as for a signal of its own; the run then ends as after OK. That
// process has a session of its own, so that a signal to this one's group reaches it once.
void PassOnSignals(pid_t child) {
  boxProcess = child;
  struct sigaction action = {};
  action.sa_handler = PassOn;
  action.sa_flags = SA_RESTART;
  sigemptyset(&action.sa_mask);
  for (const int signal : {SIGTERM, SIGHUP, SIGINT})
    sigaction(signal, &action, nullptr);
}

int AwaitVerdict(pid_t child, int pipeRead) {
  PassOnSignals(child);
  Verdict verdict{};
  const bool told = read(pipeRead, &verdict, sizeof verdict) == sizeof verdict;
  boxProcess = 0;
  if (told && verdict.serving) return verdict.exitCode;
  int status = 0;
  waitpid(child, &status, 0);
  if (told) return verdict.exitCode;
  if (WIFSIGNALED(status)) {  // it died before it could say why, and perhaps before its box
    std::fprintf(stderr, "%s: the run was ended by signal %d (%s)\n", kApplicationTitle,
                 WTERMSIG(status), strsignal(WTERMSIG(status)));
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : aspclip::kExitFailure;
}

void Tell(int pipeWrite, Verdict verdict) {
  if (write(pipeWrite, &verdict, sizeof verdict) != sizeof verdict) std::perror(kApplicationTitle);
  close(pipeWrite);
}

// A process that outlives the foreground one must not hold its caller's pipes; its session is its
// own from the start.
void Detach() {
  const int null = open("/dev/null", O_RDWR);
  for (int fd : {STDIN_FILENO, STDOUT_FILENO, STDERR_FILENO})
    dup2(null, fd);
  if (null > STDERR_FILENO) close(null);
}

// Where a second start finds the box of the run under way: its X window, or on Wayland the
// process that shows it.
unsigned long BoxKey(GdkWindow* box, bool wayland) {
  return wayland ? static_cast<unsigned long>(getpid()) : gdk_x11_window_get_xid(box);
}

// The clipboard of the display the run uses: a Wayland compositor's, or X11's.
struct Clipboards {
  std::unique_ptr<aspclip::DataControlClipboard> wayland;
  std::unique_ptr<aspclip::X11Clipboard> x11;

  const std::string& DisplayName() const {
    return wayland ? wayland->DisplayName() : x11->DisplayName();
  }
};

// Brings the box of the run that is under way to the front (on X11 through _NET_ACTIVE_WINDOW
// where a window manager runs); while that run converts, it has none yet, and shows it soon.
void RaiseBox(unsigned long key, Clipboards& clipboards) {
  if (key == 0) return;
  if (clipboards.x11) return clipboards.x11->BringToFront(key);
  kill(static_cast<pid_t>(key), kRaiseSignal);
}

// GTK starts only for the box: the code is on the clipboard before GTK has loaded.
aspclip::Status StartGtk(const char* display) {
  if (!gtk_init_check(nullptr, nullptr)) {
    return aspclip::Status::Failed(std::string("cannot open the ") + display);
  }
  gtk_window_set_default_icon_name(kApplicationTitle);
  if (GDK_IS_X11_DISPLAY(gdk_display_get_default())) aspclip::EndOnLostDisplay();
  return aspclip::Status::Ok();
}

std::unique_ptr<aspclip::DesktopPlatform> MakePlatform(Clipboards& clipboards) {
  if (clipboards.x11) {
    return std::make_unique<aspclip::X11Platform>(*clipboards.x11,
                                                  [] { return StartGtk("X display"); });
  }
  return std::make_unique<aspclip::WaylandPlatform>(*clipboards.wayland,
                                                    [] { return StartGtk("Wayland display"); });
}

// Whether GDK_BACKEND, where it is set, lets GDK use `backend` ("*" stands for any).
bool GdkBackendAllows(std::string_view backend) {
  const char* backends = std::getenv("GDK_BACKEND");
  if (backends == nullptr || *backends == '\0') return true;
  for (std::string_view rest = backends; !rest.empty();) {
    const std::string_view named = rest.substr(0, rest.find(','));
    if (named.starts_with('*') || named.starts_with(backend)) return true;
    rest.remove_prefix(std::min(rest.size(), named.size() + 1));
  }
  return false;
}

// Why GTK could not show its box on the Wayland display, as GDK itself would decide; empty where
// it could. Such a run goes to X11 as a whole, so that the clipboard is never taken for a box that
// cannot show.
std::string WaylandBoxRuledOut() {
  // GDK gives up on Wayland without a runtime folder, whatever WAYLAND_DISPLAY says.
  if (std::getenv("XDG_RUNTIME_DIR") == nullptr) return "without XDG_RUNTIME_DIR GTK cannot use";
  if (!GdkBackendAllows("wayland"))
    return std::string("GDK_BACKEND=") + std::getenv("GDK_BACKEND") + " leaves out";
  return {};
}

// The clipboard whose display GTK can show the box on, opened with the same settings GTK reads;
// none where no display can be used.
Clipboards OpenClipboard() {
  Clipboards clipboards;
  if (WaylandBoxRuledOut().empty()) clipboards.wayland = aspclip::DataControlClipboard::Connect();
  if (!clipboards.wayland && GdkBackendAllows("x11"))
    clipboards.x11 = aspclip::X11Clipboard::Connect();
  return clipboards;
}

// Each display the environment named that could not be used, the Wayland one first.
void SayNoDisplay() {
  const char* wayland = std::getenv("WAYLAND_DISPLAY");
  if (wayland == nullptr || *wayland == '\0') {
    std::fprintf(stderr, "%s: cannot open the X display; run it in a desktop session\n",
                 kApplicationTitle);
  } else if (const std::string ruledOut = WaylandBoxRuledOut(); !ruledOut.empty()) {
    std::fprintf(stderr,
                 "%s: %s the Wayland display %s, and the X display cannot be opened; run it in a "
                 "desktop session\n",
                 kApplicationTitle, ruledOut.c_str(), wayland);
  } else {
    std::fprintf(stderr,
                 "%s: cannot open the Wayland display %s, nor the X display; run it in a desktop "
                 "session\n",
                 kApplicationTitle, wayland);
  }
}

// The desktop's clipboard: a Wayland compositor's through data control where it offers that, and
// else X11's, through XWayland on a Wayland desktop.
int RunChild(int pipeWrite) {
  g_set_application_name(kApplicationTitle);
  Clipboards clipboards = OpenClipboard();
  if (!clipboards.wayland && !clipboards.x11) {
    SayNoDisplay();
    Tell(pipeWrite, {aspclip::kExitUsage, false});
    return aspclip::kExitUsage;
  }
  const bool wayland = clipboards.wayland != nullptr;
  gdk_set_allowed_backends(wayland ? "wayland" : "x11");
  aspclip::RunLock lock(clipboards.DisplayName());
  if (!lock.TryTake()) {
    RaiseBox(lock.PublishedBox(), clipboards);
    Tell(pipeWrite, {aspclip::kExitSuccess, false});
    return aspclip::kExitSuccess;
  }
  std::unique_ptr<aspclip::DesktopPlatform> platform = MakePlatform(clipboards);
  const auto raise = [](gpointer desktop) -> gboolean {
    static_cast<aspclip::DesktopPlatform*>(desktop)->PresentBox();
    return G_SOURCE_CONTINUE;
  };
  g_unix_signal_add(kRaiseSignal, raise, platform.get());
  platform->OnBoxShown([&lock, wayland](GdkWindow* box) {
    if (wayland) gdk_wayland_window_set_application_id(box, kDesktopEntryId);
    lock.PublishBox(BoxKey(box, wayland));
  });
  const int exitCode = aspclip::ConvertClipboard(*platform);
  lock.Release();  // the box is closed: a new start converts again
  const bool serving = exitCode == aspclip::kExitSuccess && platform->OwnsClipboard();
  Tell(pipeWrite, {static_cast<unsigned char>(exitCode), serving});
  if (serving) {
    Detach();
    platform->ServeUntilReplaced();
  }
  return exitCode;
}

// Answers an argument, before anything touches the display or the clipboard.
int AnswerArguments(const aspclip::CommandLine& line) {
  switch (line.request) {
    case aspclip::Request::kHelp:
    case aspclip::Request::kVersion:
      std::fputs(
          (line.request == aspclip::Request::kHelp ? aspclip::UsageText() : aspclip::VersionText())
              .c_str(),
          stdout);
      return aspclip::StandardOutputWritten(kApplicationTitle) ? aspclip::kExitSuccess
                                                               : aspclip::kExitFailure;
    default:
      std::fputs(aspclip::UnknownArgumentText(line.unknown, "--help").c_str(), stderr);
      return aspclip::kExitUsage;
  }
}

}  // namespace

int main(int argc, char** argv) {
  aspclip::KeepStandardStreamsOpen();
  const aspclip::CommandLine line = aspclip::ReadCommandLine(
      std::vector<std::string>(argv + 1, argv + argc), aspclip::HelpArguments::kGnu);
  if (line.request != aspclip::Request::kConvert) return AnswerArguments(line);
  int verdictPipe[2];
  if (pipe(verdictPipe) != 0) {
    std::perror(kApplicationTitle);
    return aspclip::kExitFailure;
  }
  const pid_t child = fork();
  if (child < 0) {
    std::perror(kApplicationTitle);
    return aspclip::kExitFailure;
  }
  if (child > 0) {
    close(verdictPipe[1]);
    return AwaitVerdict(child, verdictPipe[0]);
  }
  close(verdictPipe[0]);
  setsid();
  // Keep only standard I/O and the verdict pipe: descriptors inherited from the caller would
  // otherwise stay open in the server for as long as it runs.
  if (dup2(verdictPipe[1], STDERR_FILENO + 1) < 0) return aspclip::kExitFailure;
  close_range(STDERR_FILENO + 2, ~0U, 0);
  return RunChild(STDERR_FILENO + 1);
}
