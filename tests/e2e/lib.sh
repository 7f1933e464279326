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

# start_xvfb DIR: Xvfb on a display of its own choosing, which DISPLAY then names; XVFB_PID is it.
start_xvfb() {
  Xvfb -displayfd 4 -screen 0 1024x768x24 -nolisten tcp 4>"$1/display" 2>/dev/null &
  XVFB_PID=$!
  for _ in $(seq 100); do [ -s "$1/display" ] && break; sleep 0.05; done
  export DISPLAY=:$(cat "$1/display")
}

# unprivileged COMMAND...: runs COMMAND as it is, or, run as root, as a system user of the tests'
# own, for sway refuses to run as root. Its files must be where that user can read them.
unprivileged() {
  [ "$(id -u)" != 0 ] && { "$@"; return; }
  local user=aspclip-wayland-test
  id "$user" >/dev/null 2>&1 ||
    useradd --system --user-group --no-create-home --home-dir /nonexistent --shell /usr/sbin/nologin "$user"
  setpriv --reuid="$user" --regid="$user" --init-groups "$@"
}
# A runtime folder of the user `unprivileged` runs as, under DIR, for its sessions' sockets.
make_runtime_folder() {  # make_runtime_folder DIR
  mkdir -m 700 "$1/run"
  [ "$(id -u)" = 0 ] && chown aspclip-wayland-test: "$1/run"
  echo "$1/run"
}

# start_sway DIR: sway, headless and with XWayland on as real sessions have it, in the runtime
# folder XDG_RUNTIME_DIR; WAYLAND_DISPLAY and SWAYSOCK then name it, SWAY_PID is it.
start_sway() {
  printf 'xwayland enable\n' >"$1/sway.conf"
  WLR_BACKENDS=headless WLR_LIBINPUT_NO_DEVICES=1 WLR_RENDERER=pixman \
    sway -c "$1/sway.conf" >"$1/sway.log" 2>&1 &
  SWAY_PID=$!
  local socket=""
  for _ in $(seq 100); do
    socket=$(ls "$XDG_RUNTIME_DIR" | grep -m1 '^wayland-[0-9]*$') &&
      ls "$XDG_RUNTIME_DIR"/sway-ipc.* >/dev/null 2>&1 && break
    sleep 0.1
  done
  export WAYLAND_DISPLAY=$socket SWAYSOCK
  SWAYSOCK=$(ls "$XDG_RUNTIME_DIR"/sway-ipc.* | head -1)
  unset DISPLAY
}
