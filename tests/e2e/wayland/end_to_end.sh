#!/bin/bash
# The real aspclip against a real Wayland clipboard: sway, headless and with XWayland on as real
# sessions have it, is the compositor; wl-copy and wl-paste put and read the clipboard; the box's
# text is read through AT-SPI, and the box is closed through the compositor.
# usage: end_to_end.sh ASPCLIP REFERENCE_CONVERT
# sway refuses to run as root: run as root, the test makes an unprivileged user and runs as that.
set -u
HERE=$(cd "$(dirname "$0")" && pwd)
. "$HERE/../lib.sh"

missing=$(missing_tools sway swaymsg wl-copy wl-paste Xwayland dbus-run-session convert setpriv)
/usr/bin/python3 -c 'import gi; gi.require_version("Atspi", "2.0")' 2>/dev/null || missing="$missing python3-gi/Atspi"
skip_if_missing "$missing"

if [ -z "${E2E_INNER:-}" ]; then
  # Outer: a folder the test's user can read, with the programs and scripts in it, for the
  # source tree and the build may be in folders of root's alone.
  T=$(mktemp -d); chmod 755 "$T"
  trap 'end_own aspclip "XDG_RUNTIME_DIR=$T/run"; rm -rf "$T"; remove_test_user' EXIT
  mkdir "$T/kit"
  cp "$1" "$T/kit/aspclip"; cp "$2" "$T/kit/reference"
  cp "$HERE/end_to_end.sh" "$HERE/../x11/dialog_text.py" "$T/kit/"; cp "$HERE/../lib.sh" "$T/"
  chmod -R a+rX "$T"
  make_runtime_folder "$T"
  (cd / && unprivileged env -i PATH=/usr/local/bin:/usr/bin:/bin HOME="$T" \
    ${CI:+CI=$CI} ${ASPCLIP_NO_SKIPS:+ASPCLIP_NO_SKIPS=1} XDG_RUNTIME_DIR="$RUNTIME" E2E_INNER=1 \
    timeout 600 dbus-run-session -- "$T/kit/end_to_end.sh" "$T/kit/aspclip" "$T/kit/reference") \
    2> >(grep -v -e 'fd limit' -e 'ctivat' -e SpiRegistry -e 'connection to' >&2)
  exit $?
fi

PROG=$1
REFERENCE=$2
NAME=aspclip
T=$(mktemp -d -p "$XDG_RUNTIME_DIR")
check_session_bus "$T"
start_sway "$T"
cleanup() { kill "$SWAY_PID" 2>/dev/null; wait "$SWAY_PID" 2>/dev/null; rm -rf "$T"; }
trap cleanup EXIT

put() { timeout 10 wl-copy ${2:+--type "$2"} <"$1"; }  # put FILE [TYPE]
# get [TYPE]: the clipboard's content; a read that fails or times out says so.
get() {
  timeout 10 wl-paste --no-newline ${1:+--type "$1"} >"$T/got" 2>/dev/null
  local rc=$?
  if [ "$rc" -eq 0 ]; then cat "$T/got"; else echo "[the clipboard could not be read: $rc]"; fi
}
cpu_ticks() { awk '{ print $14 + $15 }' "/proc/$1/stat" 2>/dev/null || echo gone; }  # cpu_ticks PID
types() { timeout 10 wl-paste --list-types 2>&1 | tr '\n' ' '; }
servers() { own "$NAME" "XDG_RUNTIME_DIR=$XDG_RUNTIME_DIR"; }
expected() { timeout 60 "$REFERENCE" --lf <"$1"; }
# boxes: the compositor's windows titled as the box, with their app ID.
boxes() {
  swaymsg -t get_tree | /usr/bin/python3 -c '
import json, sys
def walk(n):
    if n.get("name") == "aspclip" and n.get("pid"): print(n.get("app_id"))
    for c in n.get("nodes", []) + n.get("floating_nodes", []): walk(c)
walk(json.load(sys.stdin))'
}
find_box() {  # find_box [SECONDS]: waits for a box, 20 seconds by default
  local deadline=$((SECONDS + ${1:-20}))
  until [ -n "$(boxes)" ] || [ "$SECONDS" -ge "$deadline" ]; do sleep 0.1; done
}
close_box() { swaymsg '[title="^aspclip$"] kill' >/dev/null; }

# run_prog: start the program, read the box, snapshot the clipboard while it shows, close it
# through the compositor. Sets MSG TITLE APP WAITED RC DURING SERVER.
run_prog() {
  "$PROG" 2>"$T/stderr" & local p=$!
  find_box "${BOX_SECONDS:-20}"
  APP=$(boxes | head -1)
  local box; box=$(timeout 20 /usr/bin/python3 "$(dirname "$0")/dialog_text.py" "$NAME" 15)
  TITLE=$(echo "$box" | head -1 | sed 's/^title=//')
  MSG=$(echo "$box" | tail -n +2 | grep -vx "$NAME")  # the title shows in the box's own header too
  alive $p && WAITED=yes || WAITED=no
  DURING=$(get | md5sum)
  close_box
  finish $p; RC=$?
  SERVER=$(servers | tail -1)
}

expect_converted() {  # expect_converted NAME FILE [EXPECTED_RESULT_FILE]
  put "$2"
  run_prog
  local want; want=$( ([ -n "${3:-}" ] && cat "$3" || expected "$2") | md5sum)
  check "$1: message, title and app ID" "aspclip: Code converted (org.aspclip.aspclip)" "$TITLE: $MSG ($APP)"
  check "$1: exit status, waited for OK" "0 yes" "$RC $WAITED"
  check "$1: result on the clipboard while the box shows" "$want" "$DURING"
  check "$1: result pasteable after exit" "$want" "$(get | md5sum)"
  check "$1: offered types" "text/plain;charset=utf-8 text/plain UTF8_STRING STRING TEXT " "$(types)"
}

printf '<html>\n<body>\n<%%Set c = Server.CreateObject("App.Counter")%%>\n<p class="x">Hello, <%%=name%%>!</p>\n</body>\n</html>' >"$T/example"
printf '\nOutputString = OutputString & "<html>" & vbCrLf & "<body>"\nSet c = CreateObject("App.Counter")\nOutputString = OutputString & "<p class=""x"">Hello, " & name & "!</p>" & vbCrLf & "</body>" & vbCrLf & "</html>"\n' >"$T/example.vb"

expect_converted "worked example, LF breaks" "$T/example" "$T/example.vb"
server=$SERVER
echo next | put /dev/stdin
check "another copy ends the server" "ended next" \
  "$(gone_soon "$server" 100 && echo ended || echo "${server:-no server} alive") $(get)"

/usr/bin/python3 -c "
import sys; line = 'abc <%=x%> d\u00e9f \U0001F600 \"ghi\" jkl mno pqr stu vwx yz\n'
sys.stdout.buffer.write((line * (5 * 2**20 // len(line.encode()) + 1)).encode()[:5 * 2**20])" >"$T/big"
expect_converted "5 MB page" "$T/big"
expected "$T/big" >"$T/big.vb"
# Readers that stop early: one takes a byte and closes, one takes nothing and holds its end; a
# reader after them, and one beside the stalled one, still get the whole code at once.
timeout 10 wl-paste --no-newline | head -c 1 >/dev/null
check "a reader that takes one byte and closes: the next reader is served" \
  "$(md5sum <"$T/big.vb")" "$(get | md5sum)"
server=$(servers | tail -1) ticks=$(cpu_ticks "$server")
sleep 1
check "a reader that closed early: the server idles after it" yes \
  "$([ $(($(cpu_ticks "$server") - ticks)) -lt 20 ] && echo yes || echo "no: $(($(cpu_ticks "$server") - ticks)) ticks in 1 s")"
timeout 30 wl-paste --no-newline | sleep 30 & stalled=$!
sleep 0.5
check "a reader that stalls: another is served meanwhile" "$(md5sum <"$T/big.vb") stalled" \
  "$(get | md5sum) $(alive $stalled && echo stalled || echo "gone first")"
kill "$stalled"; wait "$stalled" 2>/dev/null
check "the server still serves" "$(md5sum <"$T/big.vb") $(servers | wc -l)" "$(get | md5sum) 1"

timeout 10 wl-copy --clear
run_prog
check "empty clipboard: message, status, no server" "Please copy ASP code into clipboard. 0 none" \
  "$MSG $RC ${SERVER:-none}"
check "empty clipboard: left empty" "" "$(timeout 10 wl-paste --list-types 2>/dev/null)"

# Text in the primary selection alone is no text on the clipboard, and is left alone.
echo primary | timeout 10 wl-copy --primary
run_prog
check "primary selection only: message, both left as they were" \
  "Please copy ASP code into clipboard. primary" "$MSG $(timeout 10 wl-paste --primary --no-newline)"

convert -size 8x8 xc:red png:"$T/img.png"
put "$T/img.png" image/png
run_prog
check "picture only: message, status, no server" "Please copy ASP code into clipboard. 0 none" \
  "$MSG $RC ${SERVER:-none}"
check "picture only: clipboard unchanged" "$(md5sum <"$T/img.png")" "$(get image/png | md5sum)"

printf 'caf\xe9\n' >"$T/latin1"
put "$T/latin1" "text/plain;charset=utf-8"
run_prog
check "invalid UTF-8: message" "Could not read the clipboard: the clipboard text is not valid UTF-8 (bad byte at offset 3)" "$MSG"
check "invalid UTF-8: on standard error too" "aspclip: $MSG" "$(cat "$T/stderr")"
check "invalid UTF-8: exit status, no server" "1 none" "$RC ${SERVER:-none}"
check "invalid UTF-8: clipboard unchanged" "$(md5sum <"$T/latin1")" "$(get | md5sum)"

# An owner that stops answering: the run gives up on it after 5 seconds, and leaves it the
# clipboard. A stopped server of the program's own is such an owner.
expect_converted "an owner to stop" "$T/example" "$T/example.vb"
stopped=$SERVER
kill -STOP "$stopped"
run_prog
kill -CONT "$stopped"
check "owner that does not answer: message" "Could not read the clipboard: the program that owns the clipboard did not answer within 5 seconds" "$MSG"
check "owner that does not answer: status, owner kept" "1 $(md5sum <"$T/example.vb")" \
  "$RC $(get | md5sum)"

# The user copies something else while the box shows: that copy wins, and no server stays.
put "$T/example"
"$PROG" & p=$!
find_box
echo newer | put /dev/stdin
close_box; finish $p
check "copy during the box: newer copy kept, no server" "newer none" \
  "$(get) $(servers | grep . || echo none)"

# A second start while the box shows converts nothing and shows no box of its own, whether the
# display is named by its socket's name or by its path.
for display in "$WAYLAND_DISPLAY" "$XDG_RUNTIME_DIR/$WAYLAND_DISPLAY"; do
  put "$T/example"
  WAYLAND_DISPLAY=$display "$PROG" & first=$!
  find_box
  WAYLAND_DISPLAY=$display timeout 20 "$PROG" 2>"$T/stderr"; rc=$?
  sleep 0.5
  check "double start on $display: second exits 0, one box" "0 1" "$rc $(boxes | wc -l)"
  close_box; finish $first; rc=$?
  check "double start on $display: the first ends 0, converted once" \
    "0 $(md5sum <"$T/example.vb")" "$rc $(get | md5sum)"
done

# A Wayland display that names nothing, and no X display: both are named, and nothing converts.
WAYLAND_DISPLAY=wayland-none DISPLAY= timeout 10 "$PROG" >/dev/null 2>"$T/err"; rc=$?
check "no display to be had: exit code, both named" \
  "2 aspclip: cannot open the Wayland display wayland-none, nor the X display; run it in a desktop session" \
  "$rc $(cat "$T/err")"

# Where GTK cannot show its box as the environment says, the clipboard is left as it was, one
# line says why and the exit code is 2; where it can, the page converts as ever.
for setting in GDK_BACKEND=x11 GDK_BACKEND=quartz; do
  put "$T/example"
  env "$setting" DISPLAY= timeout 20 "$PROG" >/dev/null 2>"$T/err"; rc=$?
  check "$setting, no X display: exit 2, one line, the clipboard as it was" \
    "2 1 $(md5sum <"$T/example")" "$rc $(wc -l <"$T/err") $(get | md5sum)"
done
put "$T/example"
# Without a runtime folder the run lock goes to TMPDIR, here the test's own folder.
env -u XDG_RUNTIME_DIR TMPDIR="$T" WAYLAND_DISPLAY="$XDG_RUNTIME_DIR/$WAYLAND_DISPLAY" "$PROG" \
  2>"$T/err" & p=$!
for _ in $(seq 200); do [ -n "$(boxes)" ] || ! alive $p && break; sleep 0.1; done
close_box; finish $p; rc=$?
check "the display by its path, no runtime folder: converted, or refused before the clipboard" yes \
  "$( { { [ "$rc" = 0 ] && [ "$(get | md5sum)" = "$(md5sum <"$T/example.vb")" ]; } ||
        { [ "$rc" = 2 ] && [ "$(get | md5sum)" = "$(md5sum <"$T/example")" ] &&
          [ "$(wc -l <"$T/err")" = 1 ]; }; } && echo yes || echo "no: $rc $(cat "$T/err")")"

# A signal while the box shows closes it; the code stays served.
for signal in TERM HUP INT; do
  put "$T/example"
  "$PROG" & p=$!
  find_box
  kill -$signal "$(pgrep -x -P $p "$NAME")"
  finish $p; rc=$?
  check "SIG$signal during the box: closed, exit 0, code served" "0 0 $(md5sum <"$T/example.vb")" \
    "$rc $(boxes | wc -l) $(get | md5sum)"
done
# The same signal to the process the user started, or to its whole group (Ctrl-C, logout): the box
# closes, that process ends as after OK, and nothing is left orphaned.
for signal in TERM HUP; do
  for target in process group; do
    put "$T/example"
    setsid "$PROG" & p=$!  # a group of its own, whose ID is its PID
    find_box
    [ "$target" = process ] && kill -"$signal" "$p" || kill -"$signal" -- "-$p"
    finish $p; rc=$?
    check "SIG$signal to the started $target during the box: closed, exit 0, code served" \
      "0 0 $(md5sum <"$T/example.vb")" "$rc $(boxes | wc -l) $(get | md5sum)"
  done
done
# The same signal to the server that follows ends it.
server=$(servers | tail -1)
kill -TERM "$server"
check "SIGTERM to the server: it ends" ended "$(gone_soon "$server" 100 && echo ended || echo alive)"

finish_checks
