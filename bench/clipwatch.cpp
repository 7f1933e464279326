// clipwatch COMMAND...: starts COMMAND and prints how many milliseconds pass until a new owner
// takes the CLIPBOARD selection, then exits and leaves COMMAND running, its output sent to
// /dev/null so that whoever reads clipwatch's output need not wait for COMMAND.
#include <X11/Xlib.h>
#include <X11/extensions/Xfixes.h>
#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: clipwatch COMMAND [ARGUMENT...]\n");
    return 2;
  }
  Display* display = XOpenDisplay(nullptr);
  int eventBase = 0, errorBase = 0;
  if (display == nullptr || !XFixesQueryExtension(display, &eventBase, &errorBase)) {
    std::fprintf(stderr, "clipwatch: no X display with the XFIXES extension\n");
    return 2;
  }
  const Atom clipboard = XInternAtom(display, "CLIPBOARD", False);
  XFixesSelectSelectionInput(display, DefaultRootWindow(display), clipboard,
                             XFixesSetSelectionOwnerNotifyMask);
  XSync(display, False);
  const Window before = XGetSelectionOwner(display, clipboard);
  const auto start = std::chrono::steady_clock::now();
  if (fork() == 0) {
    close(ConnectionNumber(display));
    const int null = open("/dev/null", O_WRONLY);
    dup2(null, STDOUT_FILENO);
    execvp(argv[1], argv + 1);
    _exit(127);
  }
  for (;;) {
    XEvent event;
    XNextEvent(display, &event);
    if (event.type != eventBase + XFixesSelectionNotify) continue;
    const auto& notify = reinterpret_cast<const XFixesSelectionNotifyEvent&>(event);
    if (notify.owner == None || notify.owner == before) continue;
    const std::chrono::duration<double, std::milli> elapsed =
        std::chrono::steady_clock::now() - start;
    std::printf("%.1f\n", elapsed.count());
    return 0;
  }
}
