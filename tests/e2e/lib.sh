# Shared by the test scripts (source it): checks and their tally, missing tools, and a private
# headless X display.

pass=0 fail=0
check() {  # check NAME EXPECTED ACTUAL
  if [ "$2" = "$3" ]; then pass=$((pass + 1)); echo "ok   $1"
  else fail=$((fail + 1)); echo "FAIL $1: expected [$2] got [$3]"; fi
}
finish_checks() {  # prints the tally; fails when any check did
  echo "$pass passed, $fail failed"
  [ "$fail" -eq 0 ]
}

# skip_if_missing "WHAT IS MISSING": a test that cannot run is skipped (exit 77) when a developer
# runs it alone; under CI, and in scripts/test (ASPCLIP_NO_SKIPS), a missing tool is a failure.
skip_if_missing() {
  [ -z "$1" ] && return 0
  echo "missing:$1"
  if [ "${CI:-}" = true ] || [ -n "${ASPCLIP_NO_SKIPS:-}" ]; then exit 1; fi
  exit 77
}
alive() { [ -n "$1" ] && ps -o stat= -p "$1" 2>/dev/null | grep -qv Z; }  # alive PID
gone_soon() { for _ in $(seq "${2:-40}"); do alive "$1" || return 0; sleep 0.05; done; return 1; }  # PID [TRIES]
# finish PID: waits at most 15 s for a program to end, then kills it and fails, so that a broken
# run fails a check instead of hanging the test. Every program started in the background ends
# through here. Returns the program's exit status.
finish() {
  if ! gone_soon "$1" 300; then
    kill -KILL "$1" 2>/dev/null
    check "a program started in the background ends within 15 s" ended "killed"
  fi
  wait "$1"
}
missing_tools() {  # missing_tools TOOL...: those of them not on PATH
  local tool
  for tool in "$@"; do command -v "$tool" >/dev/null || printf ' %s' "$tool"; done
}

# environment_failed WHAT LOG: the environment a group needs did not start; the group fails at
# once, with that environment's log.
environment_failed() {
  fail=$((fail + 1)); echo "FAIL $1 started: see its log"
  [ -f "$2" ] && tail -n 40 "$2" | sed 's/^/  | /'
  exit 1
}
# until_ready SECONDS PID CONDITION...: waits for CONDITION while PID lives, at most SECONDS.
until_ready() {
  local deadline=$((SECONDS + $1)) pid=$2; shift 2
  until "$@"; do
    alive "$pid" && [ "$SECONDS" -lt "$deadline" ] || return 1
    sleep 0.05
  done
}

# aspconv_workplace ASPCONV REFERENCE_CONVERT: a folder of the test's own to work in, removed at
# the end, with page.asp and its code page.vb; aspconv, reference and sum, bounded, at hand.
aspconv_workplace() {
  ASPCONV=$(realpath "$1") REFERENCE=$(realpath "$2")
  aspconv() { timeout 60 "$ASPCONV" "$@"; }
  reference() { timeout 60 "$REFERENCE"; }
  sum() { md5sum | cut -c1-32; }
  T=$(mktemp -d)
  chmod 755 "$T"
  trap 'rm -rf "$T"' EXIT
  cd "$T" || exit 1
  printf 'a<%%= b %%>\r\n<p class="x">c</p>' >page.asp
  reference <page.asp >page.vb
}

# start_xvfb DIR: Xvfb on a display of its own choosing, which DISPLAY then names; XVFB_PID is it.
start_xvfb() {
  Xvfb -displayfd 4 -screen 0 1024x768x24 -nolisten tcp 4>"$1/display" 2>"$1/xvfb.log" &
  XVFB_PID=$!
  until_ready 30 "$XVFB_PID" test -s "$1/display" || environment_failed Xvfb "$1/xvfb.log"
  export DISPLAY=:$(cat "$1/display")
}

# start_wine STATE DIR: a Wine server for the prefix in STATE, made there first where it is not
# yet, its socket in DIR; LOG then names Wine's log. What Wine writes beside its prefix (menu
# entries, its server's socket) stays in the test's folders, not in the user's home or /tmp.
# Wine's background processes inherit standard output and error and would hold a capturing pipe
# open forever, so every start of Wine sends them to LOG.
start_wine() {
  mkdir -p "$1/home"
  export WINEPREFIX=$1/prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml,winemenubuilder.exe="
  export HOME=$1/home TMPDIR=$2
  LOG=$1/wine.log
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    timeout 300 wineboot -i >>"$LOG" 2>&1 || environment_failed "the Wine prefix" "$LOG"
    # With no window manager, winex11 waits 2 s for every managed window to unmap.
    timeout 60 wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >>"$LOG" 2>&1
    timeout 300 wineserver -w
  fi
  wineserver -p >>"$LOG" 2>&1
  [ "$(timeout 120 wine cmd /c echo ready 2>>"$LOG" | tr -d '\r')" = ready ] || environment_failed Wine "$LOG"
}

# own NAME VARIABLE=VALUE: the live processes named NAME whose environment holds VARIABLE=VALUE,
# such as the display or runtime folder a test gave them: a test's own, never another user's.
own() {
  local p
  for p in $(pgrep -x "$1"); do
    alive "$p" && tr '\0' '\n' <"/proc/$p/environ" 2>/dev/null | grep -qxF -- "$2" && echo "$p"
  done
}
end_own() {  # end_own NAME VARIABLE=VALUE: ends those processes
  local p
  for p in $(own "$@"); do kill -KILL "$p" 2>/dev/null; done
}

# The system user of the tests' own that `unprivileged` runs as: sway refuses to run as root, and
# the Windows installer is tried by a user without administrator rights.
TEST_USER=aspclip-wayland-test
# make_test_user: makes that user where it is not there yet (TEST_USER_MADE then says so).
make_test_user() {
  id "$TEST_USER" >/dev/null 2>&1 && return
  useradd --system --user-group --no-create-home --home-dir /nonexistent --shell /usr/sbin/nologin \
    "$TEST_USER" || { echo "FAIL the test user made: useradd failed"; exit 1; }
  TEST_USER_MADE=1
}
remove_test_user() {  # removes the user if make_test_user made it
  [ -n "${TEST_USER_MADE:-}" ] && userdel "$TEST_USER" 2>/dev/null
  return 0
}
# unprivileged COMMAND...: runs COMMAND as it is, or, run as root, as the test user. Its files
# must be where that user can read them.
unprivileged() {
  [ "$(id -u)" != 0 ] && { "$@"; return; }
  setpriv --reuid="$TEST_USER" --regid="$TEST_USER" --init-groups "$@"
}
# make_runtime_folder DIR: RUNTIME, a runtime folder of the user `unprivileged` runs as, under DIR,
# for its sessions' sockets; run as root, the test user is made first.
make_runtime_folder() {
  RUNTIME=$1/run
  mkdir -m 700 "$RUNTIME"
  if [ "$(id -u)" = 0 ]; then
    make_test_user
    chown "$TEST_USER:" "$RUNTIME"
  fi
}

# start_sway DIR: sway, headless and with XWayland on as real sessions have it, in the runtime
# folder XDG_RUNTIME_DIR; WAYLAND_DISPLAY and SWAYSOCK then name it, SWAY_PID is it.
start_sway() {
  printf 'xwayland enable\n' >"$1/sway.conf"
  WLR_BACKENDS=headless WLR_LIBINPUT_NO_DEVICES=1 WLR_RENDERER=pixman \
    sway -c "$1/sway.conf" >"$1/sway.log" 2>&1 &
  SWAY_PID=$!
  until_ready 30 "$SWAY_PID" sway_ready || environment_failed sway "$1/sway.log"
  export WAYLAND_DISPLAY SWAYSOCK
  WAYLAND_DISPLAY=$(ls "$XDG_RUNTIME_DIR" | grep -m1 '^wayland-[0-9]*$')
  SWAYSOCK=$(ls "$XDG_RUNTIME_DIR"/sway-ipc.* | head -1)
  unset DISPLAY
}
sway_ready() {
  ls "$XDG_RUNTIME_DIR" | grep -q '^wayland-[0-9]*$' && ls "$XDG_RUNTIME_DIR"/sway-ipc.* >/dev/null 2>&1
}

# check_session_bus: the session bus that dbus-run-session started answers, and so does the
# accessibility bus that the box's text is read through.
check_session_bus() {
  timeout 20 dbus-send --session --print-reply --dest=org.freedesktop.DBus / \
    org.freedesktop.DBus.GetId >"$1/dbus.log" 2>&1 || environment_failed "the session bus" "$1/dbus.log"
  timeout 20 dbus-send --session --print-reply --dest=org.a11y.Bus /org/a11y/bus \
    org.a11y.Bus.GetAddress >"$1/atspi.log" 2>&1 || environment_failed AT-SPI "$1/atspi.log"
}
