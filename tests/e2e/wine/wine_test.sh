#!/bin/bash
# The Windows programs under Wine, on a private headless display: aspclip.exe against Wine's
# clipboard and message box, and the code that aspconv.exe writes run by Wine's VBScript engine.
# usage: wine_test.sh WINDOWS_BUILD_DIR STATE_DIR REFERENCE_CONVERT
set -u
TOOLS="wine wineserver wineboot Xvfb python3" PROGRAMS="aspclip aspconv clipio"
end_group() { [ -n "${HOLD:-}" ] && kill "$HOLD" 2>/dev/null; }
. "$(dirname "$0")/session.sh"
# Wine's clipboard holder exits a moment after the last Wine program: one stays alive throughout.
wine "$WIN/clipio.exe" hold >>"$LOG" 2>&1 &
HOLD=$!

clipio() { timeout 30 wine "$WIN/clipio.exe" "$@" 2>>"$LOG"; }
sum() { md5sum <"$1" | cut -c1-32; }

# put INPUT: INPUT on the clipboard (a file of UTF-8, "-" for nothing, "bmp" for a picture,
# "ansi:FILE" for 8-bit bytes only, "utf16:FILE" for UTF-16LE units).
put() {
  case "$1" in
    -) clipio clear ;;
    bmp) clipio setbmp ;;
    ansi:*) clipio setansi "${1#ansi:}" ;;
    utf16:*) clipio setutf16 "${1#utf16:}" ;;
    *) clipio set "$1" ;;
  esac
}
# run_aspclip [SECONDS]: run aspclip.exe, read and close its box, waited for SECONDS (10). Sets RC,
# BOX ("caption|text") and OUT (the clipboard text afterwards; absent when none).
run_aspclip() {
  rm -f "$T/out" "$T/box"
  local start; start=$(date +%s%N)
  timeout 60 wine "$WIN/aspclip.exe" >>"$LOG" 2>&1 & local pid=$!
  clipio dismiss "$T/box" "${1:-10}" || echo "no message box" >"$T/box"
  wait "$pid"; RC=$?
  CYCLE_MS=$(( ($(date +%s%N) - start) / 1000000 ))
  BOX=$(tr '\n' '|' <"$T/box")
  clipio get "$T/out"; [ $? -eq 3 ] && rm -f "$T/out"
}
cycle() { put "$1"; run_aspclip; }  # cycle INPUT

printf '<html>\r\n<body>\r\n<%%Set c = Server.CreateObject("App.Counter")%%>\r\n<p class="x">Hello, <%%=name%%>!</p>\r\n</body>\r\n</html>' >"$T/example"
printf '\r\nOutputString = OutputString & "<html>" & vbCrLf & "<body>"\r\nSet c = CreateObject("App.Counter")\r\nOutputString = OutputString & "<p class=""x"">Hello, " & name & "!</p>" & vbCrLf & "</body>" & vbCrLf & "</html>"\r\n' >"$T/example.vb"
cycle "$T/example"
check "worked example: box" "aspclip|Code converted" "$BOX"
check "worked example: exit code" 0 "$RC"
check "worked example: exact result" "$(sum "$T/example.vb")" "$(sum "$T/out")"
echo "one test cycle (start to box closed): ${CYCLE_MS} ms"

# An argument only tells about the program, in a box; the clipboard is left alone.
clipio set "$T/example"
while IFS='|' read -r arguments code box; do
  rm -f "$T/box"
  timeout 60 wine "$WIN/aspclip.exe" $arguments >>"$LOG" 2>&1 & pid=$!
  clipio dismiss "$T/box" || echo "no message box" >"$T/box"
  wait "$pid"; rc=$?
  check "arguments '$arguments': exit code, box" "$code|$box" \
    "$rc|$(head -2 "$T/box" | tr '\n' '|' | sed 's/[0-9][0-9.]*|$/N|/')"
done <<'CASES'
/?|0|aspclip|Usage: aspclip|
-h|0|aspclip|Usage: aspclip|
--help|0|aspclip|Usage: aspclip|
--version|0|aspclip|aspclip N|
--bogus|2|aspclip|aspclip: unrecognized argument '--bogus'|
CASES
rm -f "$T/box"
timeout 60 wine "$WIN/aspclip.exe" --bogus >>"$LOG" 2>&1 & pid=$!
clipio dismiss "$T/box" || echo "no message box" >"$T/box"
wait "$pid"
check "an unknown argument: the box points to /?" "aspclip|aspclip: unrecognized argument '--bogus'|Try 'aspclip /?'.|" \
  "$(tr -d '\r' <"$T/box" | tr '\n' '|')"
clipio get "$T/out"
check "arguments: clipboard untouched" "$(sum "$T/example")" "$(sum "$T/out")"

# A second start while the box is up converts nothing; the box it finds stays the only one, and
# comes to the front over another window.
clipio set "$T/example"
timeout 60 wine "$WIN/aspclip.exe" >>"$LOG" 2>&1 & first=$!
for _ in $(seq 100); do [ "$(clipio boxes | tr -d '\r')" = 1 ] && break; sleep 0.05; done
coproc FRONT { timeout 60 wine "$WIN/clipio.exe" takefront 2>>"$LOG"; }
front=$FRONT_PID
read -r _ <&"${FRONT[0]}"
in_front=$(clipio front | tr -d '\r')
timeout 20 wine "$WIN/aspclip.exe" >>"$LOG" 2>&1; rc=$?
check "double start: second exits 0, one box, brought to the front" "0 1 clipio-front aspclip" \
  "$rc $(clipio boxes | tr -d '\r') $in_front $(clipio front | tr -d '\r')"
kill "$front"; wait "$front" 2>/dev/null
clipio dismiss "$T/box"; wait "$first"
clipio get "$T/out"
check "double start: converted once" "$(sum "$T/example.vb")" "$(sum "$T/out")"

cycle -
check "empty clipboard: box" "aspclip|Please copy ASP code into clipboard." "$BOX"
check "empty clipboard: exit code, still empty" "0 none" "$RC $([ -f "$T/out" ] && echo text || echo none)"

cycle bmp
check "picture only: box" "aspclip|Please copy ASP code into clipboard." "$BOX"
check "picture only: picture kept, no text" "8 none" "$(clipio formats | tr -d '\r' | grep -x 8) $([ -f "$T/out" ] && echo text || echo none)"

: >"$T/empty"
# An empty code is proven written by the clipboard's sequence number, which the write raises: the
# clipboard already held an empty text. The run starts only once the empty text is there.
put "$T/empty"
for _ in $(seq 100); do clipio formats | tr -d '\r' | grep -qx 13 && break; sleep 0.05; done
before=$(clipio sequence | tr -d '\r')
run_aspclip
after=$(clipio sequence | tr -d '\r')
check "empty text: box and exit code" "aspclip|Code converted 0" "$BOX $RC"
check "empty text: empty result, written" "0 written" \
  "$(stat -c %s "$T/out" 2>/dev/null || echo none) $([ "$after" -gt "$before" ] && echo written || echo "not written ($before, $after)")"

printf 'caf\xe9 <%%= x %%>' >"$T/latin1"
cycle "ansi:$T/latin1"
check "8-bit owner: é kept" "$(printf '\r\nOutputString = OutputString & "caf\xc3\xa9 " &  x \r\n' | md5sum | cut -c1-32)" "$(sum "$T/out")"

printf '\xf0\x9f\x98\x80 <%%= "\xf0\x9f\x8e\x89" %%>\r\n' >"$T/emoji"
cycle "$T/emoji"
check "emoji: box" "aspclip|Code converted" "$BOX"
check "emoji: kept" "$(printf '\r\nOutputString = OutputString & "\xf0\x9f\x98\x80 " &  "\xf0\x9f\x8e\x89" \r\n' | md5sum | cut -c1-32)" "$(sum "$T/out")"

# A lone surrogate, which no UTF-8 can carry, and a character beyond the BMP, next to each other.
utf16() {  # utf16 FILE TEXT: TEXT with Python's escapes, as UTF-16LE units
  python3 -c "import sys; open(sys.argv[1], 'wb').write(sys.argv[2].encode().decode('unicode_escape').encode('utf-16-le', 'surrogatepass'))" "$@"
}
utf16 "$T/lone.u16" '\ud83d\U0001f600<%= "\ude00" %>'
utf16 "$T/lone.expected" '\r\nOutputString = OutputString & "\ud83d\U0001f600" &  "\ude00" \r\n'
cycle "utf16:$T/lone.u16"
clipio getutf16 "$T/lone.out"
check "lone surrogate: kept unit for unit" "$(sum "$T/lone.expected")" "$(sum "$T/lone.out")"

printf 'a\nb<%%\nx = 1%%>' >"$T/lf"
cycle "$T/lf"
check "lone LF: read as a line break" "$(printf '\r\nOutputString = OutputString & "a" & vbCrLf & "b"\r\n\r\nx = 1\r\n' | md5sum | cut -c1-32)" "$(sum "$T/out")"

# Another program holds the clipboard open: a moment is waited for, longer is an error that
# leaves the clipboard as it was.
printf 'page' >"$T/page"
cycle_held() {  # cycle_held MS: the page on the clipboard, held open for MS ms as aspclip starts
  clipio set "$T/page"
  rm -f "$T/out" "$T/box" "$T/held"
  timeout 30 wine "$WIN/clipio.exe" holdopen "$1" >"$T/held" 2>>"$LOG" & local holder=$!
  for _ in $(seq 100); do [ -s "$T/held" ] && break; sleep 0.05; done
  timeout 60 wine "$WIN/aspclip.exe" >>"$LOG" 2>&1 & local pid=$!
  clipio dismiss "$T/box" || echo "no message box" >"$T/box"
  wait "$pid"; RC=$?
  BOX=$(tr '\n' '|' <"$T/box")
  wait "$holder"
  clipio get "$T/out"
}
cycle_held 400
check "clipboard held 0.4 s: converted" "aspclip|Code converted 0" "$BOX $RC"
cycle_held 3000
check "clipboard held 3 s: error box" "aspclip|Could not read the clipboard: another program kept the clipboard open" "$(echo "$BOX" | sed 's/ (.*//')"
check "clipboard held 3 s: exit code" 1 "$RC"
check "clipboard held 3 s: page kept" page "$(cat "$T/out")"

# aspconv.exe takes its paths as UTF-16: a folder and a page with names beyond ASCII.
mkdir -p "$T/sité"
printf 'a<%%= b %%>' >"$T/sité/päge.asp"
(cd "$T" && timeout 60 wine "$WIN/aspconv.exe" -o "code €" "sité" >>"$LOG" 2>&1); rc=$?
check "non-ASCII paths: exit code, code written" \
  "0 $(printf '\r\nOutputString = OutputString & "a" &  b \r\n' | md5sum | cut -c1-32)" \
  "$rc $(sum "$T/code €/päge.vb" 2>/dev/null)"

# --encoding through the Windows converters: a Windows-1252 page comes back byte for byte.
printf 'caf\xe9 \x93q\x94<%%= x %%>' >"$T/cp1252.asp"
(cd "$T" && timeout 60 wine "$WIN/aspconv.exe" --encoding windows-1252 cp1252.asp -o cp1252.vb >>"$LOG" 2>&1)
check "windows-1252 page: exit code, round trip" \
  "0 $(printf '\r\nOutputString = OutputString & "caf\xe9 \x93q\x94" &  x \r\n' | md5sum | cut -c1-32)" \
  "$? $(sum "$T/cp1252.vb" 2>/dev/null)"

# Windows' own edges. Pages named like devices are files like any other, reached by \\?\ paths;
# so are folders deeper than 260 characters.
aspconv_exe() { (cd "$T" && timeout 60 wine "$WIN/aspconv.exe" "$@" 2>>"$T/aspconv-err"); }
mkdir -p "$T/devices/sub"
for name in con.asp aux.asp nul.inc com1.asp sub/Prn.asp; do
  printf 'a<%%= "%s" %%>' "$name" >"$T/devices/$name"
done
rm -f "$T/aspconv-err"
aspconv_exe -o device-code devices; rc=$?
check "pages named like devices: each converted to a file" \
  "0 converted 5 files, 0 failed|aux.vb com1.vb con.vb nul.vb sub/Prn.vb" \
  "$rc $(tr -d '\r' <"$T/aspconv-err")|$(cd "$T/device-code" && find . -type f | sed 's|^\./||' | sort | xargs)"
check "a page named like a device, named directly: the file's code" \
  "$(printf '\r\nOutputString = OutputString & "a" &  "nul.inc" \r\n' | md5sum | cut -c1-32)" \
  "$(aspconv_exe devices/nul.inc | md5sum | cut -c1-32)"
rm -f "$T/aspconv-err"; aspconv_exe devices/con.asp -o NUL; rc=$?
check "-o NUL: written nowhere, success" "0 " "$rc $(cat "$T/aspconv-err" 2>/dev/null)"
deep="deep/$(printf 'folder%02d/' $(seq 1 40))"
mkdir -p "$T/$deep"; printf 'a<%%= b %%>' >"$T/$deep/page.asp"
aspconv_exe -o deep-code deep; rc=$?
check "a folder deeper than 260 characters: converted" "0 1" "$rc $(find "$T/deep-code" -name page.vb | wc -l)"

# Names that differ only in case are one file on Windows: the clash is named and counted.
mkdir -p "$T/cases"; printf 'a' >"$T/cases/page.asp"; printf 'b' >"$T/cases/Page.inc"
rm -f "$T/aspconv-err"; aspconv_exe -o case-code cases; rc=$?
check "names that differ only in case: the clash named, counted" \
  "1 aspconv: cases\page.asp: its code would go to case-code\page.vb, as that of cases\Page.inc does~converted 1 file, 1 failed~" \
  "$rc $(tr -d '\r' <"$T/aspconv-err" | tr '\n' '~')"

# Wildcards, which cmd leaves to the program, and the usage for /?, with CR LF throughout.
aspconv_exe -o wild-code 'devices\c*.asp'; rc=$?
check "wildcards in an operand: expanded" "0 com1.vb con.vb" "$rc $(ls "$T/wild-code" | xargs)"
aspconv_exe '/?' >"$T/usage"; rc=$?
check "/?: the usage, with a CR before every LF" "0 Usage: aspconv [OPTION]... [FILE|DIR]...|yes" \
  "$rc $(head -1 "$T/usage" | tr -d '\r')|$([ "$(grep -c $'\r$' "$T/usage")" = "$(wc -l <"$T/usage")" ] && echo yes || echo no)"

# The code page names people type, in both builds; UTF-7, whose converter takes no flags.
printf 'cafe \xe4\xb8\xad\xe6\x96\x87 <%%= x %%>' >"$T/cjk.txt"
for encoding in gbk big5 euc-jp utf-32 utf-7 1252 cp1252; do
  iconv -f UTF-8 -t "$encoding//TRANSLIT" <"$T/cjk.txt" >"$T/named.asp" 2>/dev/null
  iconv -f "$encoding" -t UTF-8 <"$T/named.asp" >"$T/named.txt"
  aspconv_exe --encoding "$encoding" named.asp -o named.vb; rc=$?
  check "--encoding $encoding: known, round trip" \
    "0 $(timeout 60 "$REFERENCE" <"$T/named.txt" | md5sum | cut -c1-32)" \
    "$rc $(iconv -f "$encoding" -t UTF-8 <"$T/named.vb" | md5sum | cut -c1-32)"
done

# Characters beyond the BMP through the UTF-16 and UTF-32 converters, both ways.
printf 'a \xf0\x9f\x98\x80 <%%= "\xf0\x9f\x8e\x89" %%>' >"$T/astral.txt"
for encoding in utf-16 utf-32; do
  iconv -f UTF-8 -t "$encoding" <"$T/astral.txt" >"$T/astral.asp"
  aspconv_exe --encoding "$encoding" astral.asp -o astral.vb; rc=$?
  check "--encoding $encoding: characters beyond the BMP kept" \
    "0 $(timeout 60 "$REFERENCE" <"$T/astral.txt" | md5sum | cut -c1-32)" \
    "$rc $(iconv -f "$encoding" -t UTF-8 <"$T/astral.vb" | md5sum | cut -c1-32)"
done

# aspclip.exe's usage, written for a box that wraps its paragraphs.
rm -f "$T/box"
timeout 60 wine "$WIN/aspclip.exe" '/?' >>"$LOG" 2>&1 & pid=$!
clipio dismiss "$T/box" || echo "no message box" >"$T/box"
wait "$pid"
check "aspclip /?: a paragraph a line, options one a line" \
  "aspclip|Usage: aspclip||Converts the ASP page on the clipboard into Visual Basic code that builds the page's output in OutputString, and puts the code on the clipboard in its place.||/?, -h, --help: show this help|--version: show the version|" \
  "$(tr -d '\r' <"$T/box" | tr '\n' '|')"

# An owner that renders its text only when asked, and never answers: the bound and the words of a
# stalled owner on Linux, and the clipboard left to it.
coproc DELAYED { timeout 120 wine "$WIN/clipio.exe" setdelayed 2>>"$LOG"; }
delayed=$DELAYED_PID
read -r _ <&"${DELAYED[0]}"
run_aspclip 30  # the owner's 5 seconds, and Wine's start
check "an owner that never renders: box, exit code" \
  "aspclip|Could not read the clipboard: the program that owns the clipboard did not answer within 5 seconds 1" \
  "$BOX $RC"
check "an owner that never renders: the clipboard still its" "13" "$(clipio formats | tr -d '\r' | grep -x 13)"
kill "$delayed" 2>/dev/null; wait "$delayed" 2>/dev/null

# A leading byte-order mark is no text of the page, as aspconv reads it.
utf16 "$T/marked.u16" '\ufeffx'
cycle "utf16:$T/marked.u16"
check "a leading byte-order mark: not in the code" \
  "$(printf '\r\nOutputString = OutputString & "x"\r\n' | md5sum | cut -c1-32)" "$(sum "$T/out")"

# The generated code runs: each page's output, worked out by hand, is what OutputString holds.
mkdir -p "$T/vbs"
python3 "$HERE/vbscript_pages.py" "$T/vbs"
for page in "$T"/vbs/*.asp; do
  name=$(basename "$page" .asp)
  script="$T/vbs/$name.vbs"  # Wine's script host reads scripts in the ANSI code page (1252) only
  {
    printf 'Dim OutputString\r\nOutputString = ""\r\n'
    timeout 60 wine "$WIN/aspconv.exe" <"$page" 2>>"$LOG"
    printf 'Set fso = CreateObject("Scripting.FileSystemObject")\r\n'
    printf 'Set f = fso.CreateTextFile("%s.out", True, True)\r\nf.Write OutputString\r\nf.Close\r\n' "$name"
  } | python3 -c "import sys; sys.stdout.buffer.write(sys.stdin.buffer.read().decode().encode('cp1252'))" >"$script"
  (cd "$T/vbs" && timeout 60 wine cscript //nologo "$name.vbs" >>"$LOG" 2>&1)
  got=$( [ -f "$T/vbs/$name.out" ] && python3 -c "import sys; sys.stdout.buffer.write(open(sys.argv[1], 'rb').read().decode('utf-16').encode())" "$T/vbs/$name.out" | md5sum | cut -c1-32)
  check "VBScript runs the code of $name" "$(sum "$T/vbs/$name.expected")" "${got:-no output}"
done

finish_checks
