# What the X11 groups share, sourced by each: the real aspclip against the real X11 clipboard, on a
# private headless display with a session bus of its own (the group runs again inside them);
# xclip puts and reads the clipboard, the box's text is read through AT-SPI, xdotool presses OK.
# The group's arguments: ASPCLIP REFERENCE_CONVERT
set -u
HERE=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
PROG=$(realpath "$1")
REFERENCE=$(realpath "$2")
NAME=$(basename "$PROG")
. "$HERE/../lib.sh"

missing=$(missing_tools Xvfb xclip xdotool xprop dbus-run-session convert xfce4-clipman parcellite)
/usr/bin/python3 -c 'import gi; gi.require_version("Atspi", "2.0")' 2>/dev/null || missing="$missing python3-gi/Atspi"
/usr/bin/python3 -c 'import Xlib' 2>/dev/null || missing="$missing python3-xlib"
skip_if_missing "$missing"

if [ -z "${E2E_INNER:-}" ]; then  # outer: a display and a session bus of our own
  T=$(mktemp -d)
  trap 'rm -rf "$T"' EXIT
  # What the session's programs write (settings, caches, the run lock) stays in the test's folder.
  export HOME=$T/home XDG_RUNTIME_DIR=$T/run
  mkdir "$HOME"; mkdir -m 700 "$XDG_RUNTIME_DIR"
  start_xvfb "$T"
  E2E_INNER=1 dbus-run-session -- "$0" "$@" 2> >(grep -v -e 'fd limit' -e 'ctivat' -e SpiRegistry -e 'connection to' >&2)
  rc=$?
  end_own "$NAME" "DISPLAY=$DISPLAY"
  kill "$XVFB_PID"; wait "$XVFB_PID" 2>/dev/null
  rm -rf "$T"
  exit $rc
fi

T=$(mktemp -d)
trap 'rm -rf "$T"' EXIT
chmod 755 "$T"  # the other user of the planted lock's row makes a folder inside
check_session_bus "$T"
put() { xclip -selection clipboard -i ${2:+-t "$2"} <"$1" >/dev/null 2>&1; }  # put FILE [TYPE]
# get [TYPE]: the clipboard's text; a read that fails or times out says so, which no text equals.
get() {
  timeout 10 xclip -selection clipboard -o ${1:+-t "$1"} >"$T/got" 2>/dev/null
  local rc=$?
  if [ "$rc" -eq 0 ]; then cat "$T/got"; else echo "[the clipboard could not be read: $rc]"; fi
}
# owner: the window that owns the clipboard, 0 for none.
owner() {
  /usr/bin/python3 -c 'from Xlib import display, X
d = display.Display(); w = d.get_selection_owner(d.intern_atom("CLIPBOARD"))
print(0 if w == X.NONE else w.id)'
}
box_process() { pgrep -x -P "$1" "$NAME"; }  # box_process PID: the child that shows PID's box
servers() { own "$NAME" "DISPLAY=$DISPLAY"; }
# What aspclip should leave on the clipboard: the page converted by the step-by-step reference,
# with the platform's LF breaks.
expected() { timeout 60 "$REFERENCE" --lf <"$1"; }

# boxes: the windows of the boxes that show. xdotool exits on an X error when a window goes away
# while it searches the tree, so such a search is made again.
boxes() {
  local found
  for _ in 1 2 3; do
    found=$(xdotool search --onlyvisible --name "^aspclip$" 2>"$T/search-error")
    grep -q "X Error" "$T/search-error" || break
  done
  echo "$found" | grep .
}
# find_box [SECONDS]: the box's window, once it shows (within 20 seconds by default).
find_box() {
  local deadline=$((SECONDS + ${1:-20})) w
  until w=$(boxes | head -1); [ -n "$w" ] || [ "$SECONDS" -ge "$deadline" ]; do sleep 0.1; done
  echo "$w"
}
# close_box WINDOW PID: presses Return in the box until the program ends, a key that went astray
# pressed again, and sets RC.
close_box() {
  for _ in 1 2 3; do
    timeout 5 xdotool windowfocus --sync "$1" key Return 2>/dev/null
    gone_soon "$2" 100 && break
  done
  finish "$2"; RC=$?
}

# run_prog: start the program, read the box through AT-SPI, snapshot the clipboard while the box
# is up, press OK. Sets MSG TITLE WAITED RC DURING SERVER, and BOX_KB: the address space of the
# box's process.
# With CLOSED set to 0, 1 or 2, the program starts with that standard stream closed; the box is
# waited for BOX_SECONDS, 20 by default.
run_prog() {
  (
    ulimit -v "${PROG_LIMIT_KB:-unlimited}"
    case "${CLOSED:-}" in
      0) exec "$PROG" <&- 2>"$T/stderr" ;;
      1) exec "$PROG" >&- 2>"$T/stderr" ;;
      2) exec "$PROG" 2>&- ;;
      *) exec "$PROG" 2>"$T/stderr" ;;
    esac
  ) & local p=$!
  local w; w=$(find_box "${BOX_SECONDS:-20}")
  BOX_KB=$(awk '/^VmSize:/ { print $2 }' "/proc/$(box_process $p)/status" 2>/dev/null)
  local box; box=$(timeout 20 /usr/bin/python3 "$HERE/dialog_text.py" "$NAME" 15)
  TITLE=$(echo "$box" | head -1 | sed 's/^title=//')
  MSG=$(echo "$box" | tail -n +2)
  alive $p && WAITED=yes || WAITED=no
  DURING=$(get | md5sum)
  close_box "$w" $p
  SERVER=$(servers | tail -1)
}

expect_converted() {  # expect_converted NAME FILE [EXPECTED_RESULT_FILE]
  put "$2"
  local before; before=$(owner)
  run_prog
  local want; want=$( ([ -n "${3:-}" ] && cat "$3" || expected "$2") | md5sum)
  check "$1: message and title" "aspclip: Code converted" "$TITLE: $MSG"
  check "$1: exit status, waited for OK" "0 yes" "$RC $WAITED"
  check "$1: result on the clipboard while the box shows" "$want" "$DURING"
  check "$1: result pasteable after exit" "$want" "$(get | md5sum)"
  # Even an empty code is put there: a server of this program owns the clipboard now.
  local after; after=$(owner)
  check "$1: a server took the clipboard" yes \
    "$([ -n "$SERVER" ] && [ "$after" != 0 ] && [ "$after" != "$before" ] && echo yes ||
       echo "no: server ${SERVER:-none}, owner $before then $after")"
  local server=$SERVER
  echo next | xclip -selection clipboard -i >/dev/null 2>&1
  [ -n "$server" ] && gone_soon "$server" && check "$1: server ends on the next copy" ok ok ||
    check "$1: server ends on the next copy" gone "${server:-no server} alive"
}

printf '<html>\r\n<body>\r\n<%%Set c = Server.CreateObject("App.Counter")%%>\r\n<p class="x">Hello, <%%=name%%>!</p>\r\n</body>\r\n</html>' >"$T/example"
printf '\nOutputString = OutputString & "<html>" & vbCrLf & "<body>"\nSet c = CreateObject("App.Counter")\nOutputString = OutputString & "<p class=""x"">Hello, " & name & "!</p>" & vbCrLf & "</body>" & vbCrLf & "</html>"\n' >"$T/example.vb"
printf '<p>\n<%%= a %%>\n</p>\n' >"$T/lf"
printf '\nOutputString = OutputString & "<p>" &  a  & "</p>"\n' >"$T/lf.vb"
printf 'caf\xc3\xa9 <%%="\xf0\x9f\x98\x80"%%> na\xc3\xafve\r\n' >"$T/utf8"
printf '<p>\r<%%= a %%>\r</p>\r' >"$T/cr"
: >"$T/empty"

# finish_group: no process of the program is left behind; the tally.
finish_group() {
  sleep 0.3
  check "no program process left" "" "$(servers)"
  rm -rf "$T"
  finish_checks
}
