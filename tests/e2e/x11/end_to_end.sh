#!/bin/bash
# aspclip on X11 as a user meets it: arguments, pages converted, the box, double starts, the run
# lock, copies while the box shows, what is no text, the forms of text a reader asks for.
# usage: end_to_end.sh ASPCLIP REFERENCE_CONVERT
. "$(dirname "$0")/session.sh"

# An argument only tells about the program: none reads, empties or serves the clipboard.
put "$T/example"
while IFS='|' read -r arguments code out err; do
  timeout 10 "$PROG" $arguments >"$T/out" 2>"$T/err"; rc=$?
  check "arguments '$arguments': exit code, output, error" "$code|$out|$err" \
    "$rc|$(head -1 "$T/out" | sed 's/[0-9][0-9.]*$/N/')|$(tr '\n' '~' <"$T/err")"
done <<'CASES'
--help|0|Usage: aspclip|
-h|0|Usage: aspclip|
--version|0|aspclip N|
--bogus|2||aspclip: unrecognized argument '--bogus'~Try 'aspclip --help'.~
--help --version|2||aspclip: unrecognized argument '--version'~Try 'aspclip --help'.~
CASES
timeout 10 "$PROG" --version >/dev/full 2>"$T/err"; rc=$?
check "--version to a full device: a write error" "1 $NAME: write error: No space left on device" \
  "$rc $(cat "$T/err")"
check "arguments: clipboard untouched, no server" "$(md5sum <"$T/example") none" \
  "$(get | md5sum) $(servers | tail -1 | grep . || echo none)"

expect_converted "worked example" "$T/example" "$T/example.vb"
expect_converted "LF line breaks" "$T/lf" "$T/lf.vb"
expect_converted "lone CR line breaks" "$T/cr"
# Some launchers and hotkey daemons start programs with a standard stream closed.
for stream in 0 1 2; do
  CLOSED=$stream expect_converted "standard stream $stream closed at start" "$T/example" "$T/example.vb"
done
# A Wayland display named where no compositor runs: the X11 clipboard, as without one.
WAYLAND_DISPLAY=wayland-none expect_converted "no Wayland compositor" "$T/example" "$T/example.vb"
expect_converted "non-ASCII and emoji" "$T/utf8"
expect_converted "empty text" "$T/empty" "$T/empty"

# The box is the run's only window, so it is listed in the taskbar.
put "$T/example"
"$PROG" & p=$!
w=$(find_box)
check "the box: in the taskbar" no \
  "$(xprop -id "$w" _NET_WM_STATE 2>&1 | grep -q SKIP_TASKBAR && echo yes || echo no)"
close_box "$w" $p

# A second start while the box is up converts nothing and brings that box to the front; a start
# after the box has closed converts again.
put "$T/example"
"$PROG" & first=$!
w=$(find_box)
xdotool windowminimize --sync "$w" 2>/dev/null
timeout 20 "$PROG" 2>"$T/stderr"; rc=$?
sleep 0.3
check "double start: second exits 0, one box, raised" "0 1 $w" \
  "$rc $(boxes | wc -l) $(xdotool getwindowfocus 2>/dev/null)"
close_box "$w" $first
check "double start: converted once" "$(expected "$T/example" | md5sum)" "$(get | md5sum)"
get >"$T/once"
run_prog
check "start after the box closed: converts again" "Code converted $(expected "$T/once" | md5sum)" \
  "$MSG $(get | md5sum)"

# Without a runtime folder the lock is kept in a folder of the user's own in the shared temporary
# folder (here one of the test's own, as TMPDIR names it). One that another user made there, with
# a lock file that user holds, stops no run and is not written.
mkdir -m 1777 "$T/shared"
planted=$T/shared/aspclip-$(id -u)
as_other() { setpriv --reuid=65534 --regid=65534 --clear-groups "$@"; }
as_other mkdir -m 0755 "$planted"
as_other touch "$planted/aspclip-${DISPLAY//\//_}.lock"
as_other flock "$planted/aspclip-${DISPLAY//\//_}.lock" sleep 60 & holder=$!
TMPDIR=$T/shared XDG_RUNTIME_DIR= expect_converted "a lock planted by another user" "$T/example" "$T/example.vb"
check "a lock planted by another user: left as it was" "65534 0" \
  "$(stat -c %u "$planted") $(stat -c %s "$planted/aspclip-${DISPLAY//\//_}.lock")"
kill "$holder" 2>/dev/null; wait "$holder" 2>/dev/null

# The user copies something else while the box is still up: that copy wins, no server stays.
put "$T/example"
"$PROG" & p=$!
w=$(find_box 10)
echo newer | xclip -selection clipboard -i >/dev/null 2>&1
close_box "$w" $p
check "copy during the box: newer copy kept" "newer" "$(get)"
check "copy during the box: no server left" "" "$(servers)"

# Only a picture: no text, and the clipboard is left as it was.
convert -size 8x8 xc:red png:"$T/img.png"
put "$T/img.png" image/png
run_prog
check "picture only: message" "Please copy ASP code into clipboard." "$MSG"
check "picture only: status, no server" "0 none" "$RC ${SERVER:-none}"
check "picture only: clipboard unchanged" "$(md5sum <"$T/img.png")" "$(get image/png | md5sum)"

# Nobody owns the clipboard at all.
echo x | xclip -selection clipboard -i -l 1 >/dev/null 2>&1; get >/dev/null; sleep 0.2
run_prog
check "no owner: message" "Please copy ASP code into clipboard." "$MSG"

# Invalid UTF-8 is an error: the run says why, exits non-zero and leaves the clipboard alone.
printf 'caf\xe9\r\n' >"$T/latin1"
put "$T/latin1"
run_prog
check "invalid UTF-8: message" "Could not read the clipboard: the clipboard text is not valid UTF-8 (bad byte at offset 3)" "$MSG"
check "invalid UTF-8: exit status, no server" "1 none" "$RC ${SERVER:-none}"
check "invalid UTF-8: clipboard unchanged" "$(md5sum <"$T/latin1")" "$(get | md5sum)"

# An owner that offers only the 8-bit STRING target (Latin-1): GTK converts its text.
printf 'caf\xe9 <%%= x %%>' >"$T/latin1_string"
xclip -selection clipboard -i -t STRING <"$T/latin1_string" >/dev/null 2>&1
run_prog
check "STRING-only owner: message" "Code converted" "$MSG"
check "STRING-only owner: converted" "$(printf '\nOutputString = OutputString & "caf\xc3\xa9 " &  x \n' | md5sum)" "$DURING"
echo next | xclip -selection clipboard -i >/dev/null 2>&1

# A reader gets the code in each form of text it asks for, as any GTK program gives it: STRING in
# Latin-1 with other characters escaped, text/plain with CR LF (in ASCII, escaped the same way);
# and several forms at once (MULTIPLE), as a clipboard manager asks, a picture refused.
printf 'caf\xc3\xa9 \xe2\x82\xac <%%= "\xf0\x9f\x98\x80" %%>\r\n' >"$T/forms"
put "$T/forms"
run_prog
expected "$T/forms" >"$T/forms.vb"
form_of() {  # form_of FIRST_ESCAPED LINE_BREAK <UTF8: the text escaped from FIRST_ESCAPED on
  /usr/bin/python3 -c '
import sys
first, lf = int(sys.argv[1], 16), sys.argv[2].encode().decode("unicode_escape")
text = sys.stdin.buffer.read().decode().replace("\n", lf)
def escaped(c):
    return c if ord(c) < first else ("\\u%04x" if ord(c) < 0x10000 else "\\U%08x") % ord(c)
sys.stdout.buffer.write("".join(escaped(c) for c in text).encode("latin-1" if first <= 0x100 else "utf-8"))' "$1" "$2"
}
while IFS='|' read -r target first lf; do
  check "the code as $target" "$(form_of "$first" "$lf" <"$T/forms.vb" | md5sum)" \
    "$(get "$target" | md5sum)"
done <<'FORMS'
UTF8_STRING|110000|\n
STRING|100|\n
text/plain;charset=utf-8|110000|\r\n
text/plain|80|\r\n
FORMS
check "the code through MULTIPLE: text given, picture refused" "UTF8_STRING None $(md5sum <"$T/forms.vb")" \
  "$(timeout 10 /usr/bin/python3 "$HERE/multiple_reader.py" 2>&1 | { read -r names; echo "$names $(md5sum)"; })"
echo next | xclip -selection clipboard -i >/dev/null 2>&1

# A GTK owner (here the previous run's server) also offers text/plain, through which GTK would
# turn CR LF into LF; the raw UTF8_STRING keeps the page as it is.
printf 'a <%%= "x" %%>\r\nb' >"$T/crlf"
put "$T/crlf"
run_prog; first=$SERVER
run_prog
timeout 60 "$REFERENCE" <"$T/crlf" >"$T/crlf-once"
check "GTK owner as source: converted twice" "$(expected "$T/crlf-once" | md5sum)" "$(get | md5sum)"
check "GTK owner as source: first server ended" "no" "$(alive "$first" && echo yes || echo no)"
echo next | xclip -selection clipboard -i >/dev/null 2>&1

finish_group
