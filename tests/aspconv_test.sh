#!/bin/bash
# aspconv as a filter: encoding, line breaks, arguments and exit codes.
set -u
ASPCONV=$1
. "$(dirname "$0")/lib.sh"
T=$(mktemp -d)
trap 'rm -rf "$T"' EXIT
hex() { od -An -tx1 | tr -d ' \n'; }
W='OutputString = OutputString & '

check "LF input becomes CR LF joins" "$(printf '\r\n%s"a" & vbCrLf & "b"\r\n' "$W" | hex)" \
  "$(printf 'a\nb\n' | "$ASPCONV" | hex)"
check "--raw keeps a lone LF" "$(printf '\r\n%s"a\nb"\r\n' "$W" | hex)" \
  "$(printf 'a\nb' | "$ASPCONV" --raw | hex)"
check "byte order mark dropped" "$(printf '\r\n%s"x"\r\n' "$W" | hex)" \
  "$(printf '\xef\xbb\xbfx' | "$ASPCONV" | hex)"
check "non-ASCII and emoji pass" "$(printf '\r\n%s"caf\xc3\xa9 \xf0\x9f\x98\x80"\r\n' "$W" | hex)" \
  "$(printf 'caf\xc3\xa9 \xf0\x9f\x98\x80' | "$ASPCONV" | hex)"
check "empty input" "" "$("$ASPCONV" </dev/null | hex)"

printf '\xef\xbb\xbfab\xe9' | "$ASPCONV" >"$T/out" 2>"$T/err"
check "invalid UTF-8: exit code" 2 $?
check "invalid UTF-8: nothing on stdout" 0 "$(stat -c %s "$T/out")"
check "invalid UTF-8: offset counts the byte order mark" "aspconv: input is not valid UTF-8 (bad byte at offset 5)" "$(cat "$T/err")"

"$ASPCONV" --help >"$T/out"
check "--help: exit code" 0 $?
check "--help: usage" "usage: aspconv [--raw] < page.asp > page.vb" "$(head -1 "$T/out")"
"$ASPCONV" --bogus </dev/null >"$T/out" 2>"$T/err"
check "unknown argument: exit code" 2 $?
check "unknown argument: message" "aspconv: unknown argument '--bogus'" "$(head -1 "$T/err")"

if [ -w /dev/full ]; then
  printf 'a' | "$ASPCONV" >/dev/full 2>"$T/err"
  check "write failure: exit code" 1 $?
  check "write failure: message" "aspconv: cannot write output: No space left on device" "$(cat "$T/err")"
fi

# The sanitizers reserve more address space than any limit here would allow.
if [ -z "${ASPCONV_SANITIZED:-}" ]; then
  # Room to start, not to hold the page.
  head -c 64000000 /dev/zero | tr '\0' a >"$T/big"
  (ulimit -v 40000; "$ASPCONV" <"$T/big" >"$T/out" 2>"$T/err")
  check "out of memory: exit code" 1 $?
  check "out of memory: message" "aspconv: not enough memory for this page" "$(cat "$T/err")"
  check "out of memory: nothing on stdout" 0 "$(stat -c %s "$T/out")"
fi

finish_checks
