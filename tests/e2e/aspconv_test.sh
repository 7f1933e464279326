#!/bin/bash
# aspconv on pipes, files and folders: encodings, line breaks, arguments and exit codes. Every
# start is bounded, and every row checks the exit code along with what it checks.
# usage: aspconv_test.sh ASPCONV REFERENCE_CONVERT
set -u
ASPCONV=$(realpath "$1")
REFERENCE=$(realpath "$2")
. "$(dirname "$0")/lib.sh"
T=$(mktemp -d)
trap 'rm -rf "$T"' EXIT
hex() { od -An -tx1 | tr -d ' \n'; }
W='OutputString = OutputString & '
aspconv() { timeout 60 "$ASPCONV" "$@"; }
# converted ARGUMENT...: the exit code, then the code on standard output in hex.
converted() { local out rc; out=$(aspconv "$@" | hex; exit "${PIPESTATUS[0]}"); rc=$?; echo "$rc $out"; }
# summed ARGUMENT...: the exit code, then the MD5 sum of the code on standard output.
summed() { local out rc; out=$(aspconv "$@" | md5sum; exit "${PIPESTATUS[0]}"); rc=$?; echo "$rc $out"; }
# code FORMAT [ARGUMENT...]: "0", then the hex of what printf makes of them, for a row that
# converts.
code() { echo "0 $(printf "$@" | hex)"; }

check "LF input becomes CR LF joins" "$(code '\r\n%s"a" & vbCrLf & "b"\r\n' "$W")" \
  "$(printf 'a\nb\n' | converted)"
check "a lone CR is a line break too" "$(code '\r\n%s"a" & vbCrLf & "b"\r\n' "$W")" \
  "$(printf 'a\rb\r' | converted)"
check "--raw keeps a lone LF" "$(code '\r\n%s"a\nb"\r\n' "$W")" \
  "$(printf 'a\nb' | converted --raw)"
check "--encoding reads a lone LF as a line break too" \
  "$(code '\r\n%s"caf\xe9" & vbCrLf & "b"\r\n' "$W")" \
  "$(printf 'caf\xe9\nb' | converted --encoding windows-1252)"
check "byte order mark dropped" "$(code '\r\n%s"x"\r\n' "$W")" \
  "$(printf '\xef\xbb\xbfx' | converted)"
check "non-ASCII and emoji pass" "$(code '\r\n%s"caf\xc3\xa9 \xf0\x9f\x98\x80"\r\n' "$W")" \
  "$(printf 'caf\xc3\xa9 \xf0\x9f\x98\x80' | converted)"
check "empty input" "0 " "$(converted </dev/null)"

# A page of 1 MiB and more is mapped rather than read; one with LF breaks is read again, widened.
/usr/bin/python3 -c "
import sys; line = b'<p class=\"x\">caf\xc3\xa9 <%= n %> \xf0\x9f\x98\x80</p>\n'
sys.stdout.buffer.write(line * (2**21 // len(line)))" >"$T/large-lf.asp"
check "a large page with LF breaks, mapped" "0 $(timeout 60 "$REFERENCE" <"$T/large-lf.asp" | md5sum)" \
  "$(summed "$T/large-lf.asp")"

printf '\xef\xbb\xbfab\xe9' | aspconv >"$T/out" 2>"$T/err"
check "invalid UTF-8: exit code" 1 $?
check "invalid UTF-8: nothing on stdout" 0 "$(stat -c %s "$T/out")"
check "invalid UTF-8: offset counts the byte order mark, and a hint" \
  "aspconv: input is not valid UTF-8 (bad byte at offset 5) (name its encoding with --encoding, as in --encoding windows-1252)" \
  "$(cat "$T/err")"
# Past the first blocks that the check takes at once, and with more behind it, the offset is still
# the bad byte's own.
{ head -c 200 /dev/zero | tr '\0' a; printf 'caf\xc3\xa9\xff'; head -c 200 /dev/zero | tr '\0' b; } |
  aspconv >/dev/null 2>"$T/err"
check "invalid UTF-8 far in: exit code, offset" \
  "1 aspconv: input is not valid UTF-8 (bad byte at offset 205) (try --encoding auto, which reads it as WINDOWS-1250)" \
  "$? $(cat "$T/err")"

# Usage errors exit 2 with a hint and convert nothing; --help and --version answer.
while IFS=';' read -r arguments code out err; do
  (cd "$T" && aspconv $arguments </dev/null >"$T/out" 2>"$T/err"); rc=$?
  check "arguments '$arguments'" "$code;$out;$err" \
    "$rc;$(head -1 "$T/out" | sed 's/[0-9][0-9.]*$/N/');$(tr '\n' '~' <"$T/err")"
done <<'CASES'
--help;0;Usage: aspconv [OPTION]... [FILE|DIR]...;
-h;0;Usage: aspconv [OPTION]... [FILE|DIR]...;
--version;0;aspconv N;
--bogus;2;;aspconv: unrecognized option '--bogus'~Try 'aspconv --help'.~
-o;2;;aspconv: option '-o' needs a value~Try 'aspconv --help'.~
--encoding no-such-encoding;2;;aspconv: unknown encoding 'no-such-encoding'~Try 'aspconv --help'.~
a.asp b.asp;2;;aspconv: several inputs or a folder need an output folder: -o DIR~Try 'aspconv --help'.~
-o out - page.asp;2;;aspconv: standard input cannot be read together with other inputs~Try 'aspconv --help'.~
CASES

# The operand forms: standard input, "-", one file to standard output or to -o, several to -o DIR.
printf 'a<%%= b %%>' >"$T/page.asp"
code=$(printf '\r\n%s"a" &  b \r\n' "$W" | hex)
check "no operand" "0 $code" "$(converted <"$T/page.asp")"
check "operand -" "0 $code" "$(converted - <"$T/page.asp")"
check "one file" "0 $code" "$(converted "$T/page.asp")"
check "-- before a file" "0 $code" "$(converted -- "$T/page.asp")"
aspconv "$T/page.asp" -o "$T/page.vb"
check "one file to -o" "0 $code" "$? $(hex <"$T/page.vb")"

# A site: pages in any case of .asp and .inc are mirrored under -o, anything else is skipped, and
# an output folder inside the site is never read, which the summary says.
mkdir -p "$T/site/admin/deep" "$T/site/out"
cp "$T/page.asp" "$T/site/index.asp"; cp "$T/page.asp" "$T/site/admin/Users.ASP"
cp "$T/page.asp" "$T/site/admin/deep/menu.Inc"; echo skipped >"$T/site/notes.txt"
cp "$T/page.asp" "$T/site/out/stale.asp"
aspconv -o "$T/site/out" "$T/site" "$T/page.asp" 2>"$T/err"; rc=$?
check "site: exit code, summary, the pages left out said" \
  "0 converted 4 files, 0 failed; 1 page inside the output folder left out" "$rc $(cat "$T/err")"
check "site: the files written" "admin/Users.vb admin/deep/menu.vb index.vb page.vb stale.asp" \
  "$(cd "$T/site/out" && find . -type f | sed 's|^\./||' | sort | tr '\n' ' ' | sed 's/ $//')"
check "site: each holds its page's code" "$code" "$(hex <"$T/site/out/admin/deep/menu.vb")"

# Failing files among good ones: each is named, in the order of the pages' names, the others are
# written, and no half file is left.
rm -r "$T/site/out"
printf 'bad \xff' >"$T/site/admin/bad.asp"
mkdir -p "$T/out2"; echo "not a folder" >"$T/out2/admin"
aspconv -o "$T/out2" "$T/site" 2>"$T/err"; rc=$?
check "failures: exit code" 1 "$rc"
check "failures: each named, then the summary" "$(printf '%s~' \
  "aspconv: $T/out2/admin/Users.vb: cannot write output: Not a directory" \
  "aspconv: $T/site/admin/bad.asp: input is not valid UTF-8 (bad byte at offset 4) (try --encoding auto, which reads it as WINDOWS-1252)" \
  "aspconv: $T/out2/admin/deep/menu.vb: cannot write output: Not a directory" \
  "converted 1 file, 3 failed")" "$(tr '\n' '~' <"$T/err")"
check "failures: the good one written, nothing else" "out2 out2/admin out2/index.vb" \
  "$(cd "$T" && find out2 | sort | tr '\n' ' ' | sed 's/ $//')"
rm "$T/site/admin/bad.asp"

# Two pages whose code would go to one file: the first by name is converted, the other refused.
mkdir -p "$T/twins"; cp "$T/page.asp" "$T/twins/x.ASP"; cp "$T/page.asp" "$T/twins/x.asp"
aspconv -o "$T/twins/out" "$T/twins" 2>"$T/err"; rc=$?
check "same output twice: refused, counted" "1 $(printf '%s~' \
  "aspconv: $T/twins/x.asp: its code would go to $T/twins/out/x.vb, as that of $T/twins/x.ASP does" \
  "converted 1 file, 1 failed")" "$rc $(tr '\n' '~' <"$T/err")"
check "same output twice: the first written" "$code" "$(hex <"$T/twins/out/x.vb")"

# An output that is an input is refused.
before=$(cat "$T/page.asp")
aspconv "$T/page.asp" -o "$T/page.asp" 2>"$T/err"; rc=$?
check "output is the input: refused" "1 $before aspconv: $T/page.asp: the output would replace this input" \
  "$rc $(cat "$T/page.asp") $(cat "$T/err")"

# Windows-1252 with é and smart quotes, and UTF-16LE with a byte-order mark: the code comes back
# in the page's encoding, byte for byte; a file keeps the byte-order mark.
printf 'caf\xe9 \x93quoted\x94<%%= x %%>' >"$T/cp1252.asp"
aspconv --encoding windows-1252 "$T/cp1252.asp" -o "$T/cp1252.vb"
check "windows-1252: round trip" "0 $(printf '\r\n%s"caf\xe9 \x93quoted\x94" &  x \r\n' "$W" | hex)" \
  "$? $(hex <"$T/cp1252.vb")"
printf '\xef\xbb\xbfx' >"$T/bom.asp"
aspconv "$T/bom.asp" -o "$T/bom.vb"
check "byte order mark kept in a file" "0 $(printf '\xef\xbb\xbf\r\n%s"x"\r\n' "$W" | hex)" \
  "$? $(hex <"$T/bom.vb")"
printf '\xff\xfex\x00' >"$T/utf16.asp"
aspconv --encoding utf-16le "$T/utf16.asp" -o "$T/utf16.vb"
check "utf-16le: round trip with its byte order mark" \
  "0 $(printf '\xef\xbb\xbf\r\n%s"x"\r\n' "$W" | iconv -f utf-8 -t utf-16le | hex)" \
  "$? $(hex <"$T/utf16.vb")"

# A device that is full: the machine has one, and the row runs everywhere.
printf 'a' | aspconv >/dev/full 2>"$T/err"
check "write failure: exit code, message" \
  "1 aspconv: cannot write output: No space left on device" "$? $(cat "$T/err")"

# The sanitizers reserve more address space than any limit here would allow: there the row is
# said not to apply, not passed over in silence.
if [ -z "${ASPCONV_SANITIZED:-}" ]; then
  # Room to start, not to hold the page.
  head -c 64000000 /dev/zero | tr '\0' a >"$T/big"
  (ulimit -v 40000; exec timeout 60 "$ASPCONV" <"$T/big" >"$T/out" 2>"$T/err")
  check "out of memory: exit code" 1 $?
  check "out of memory: message" "aspconv: not enough memory for this page" "$(cat "$T/err")"
  check "out of memory: nothing on stdout" 0 "$(stat -c %s "$T/out")"
else
  echo "n/a  out of memory: the sanitizers reserve more address space than a limit allows"
fi

finish_checks
