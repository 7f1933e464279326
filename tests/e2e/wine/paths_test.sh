#!/bin/bash
# aspconv.exe's paths under Wine, as Windows resolves them: root-relative and drive-relative
# paths, a file reached by another name, the \\?\ and \\.\ forms, folders with a separator
# behind them, trailing dots and spaces, devices in any folder, names with a colon; and code
# written to a console. The test's folder is reached through two drive letters of its own, P: and
# Q:.
# usage: paths_test.sh WINDOWS_BUILD_DIR STATE_DIR REFERENCE_CONVERT
set -u
TOOLS="wine wineserver wineboot winepath Xvfb script" PROGRAMS="aspconv"
drives=()
end_group() { for drive in "${drives[@]}"; do rm -f "$drive"; done; }
. "$(dirname "$0")/session.sh"
for letter in p q; do
  drive=$WINEPREFIX/dosdevices/$letter:
  [ -e "$drive" ] && environment_failed "drive $letter: free" "$LOG"
  ln -s "$T" "$drive"; drives+=("$drive")
done

# run LINE...: the lines as a batch file that cmd runs in P:\proj, with aspconv for the program;
# its output with the exit code of each line that ends in "?" behind it, lines joined by "~".
EXE=$(timeout 60 winepath -w "$WIN/aspconv.exe" 2>>"$LOG")
run() {
  {
    printf '@echo off\r\ncd /d P:\\proj\r\n'
    for line in "$@"; do
      line=${line/#aspconv/\"$EXE\"}
      printf '%s\r\n' "${line%\?}"
      [ "${line%\?}" != "$line" ] && printf 'echo rc=%%errorlevel%%\r\n'
    done
  } >"$T/run.bat"
  (cd "$T" && timeout 120 wine cmd /c 'P:\run.bat' 2>&1) | tr -d '\r' | tr '\n' '~'
}
sum() { md5sum | cut -c1-32; }
code() { printf '%s' "$1" | timeout 60 "$REFERENCE" | sum; }  # code PAGE: its code's sum

mkdir -p "$T/proj/site/sub" "$T/other"
printf 'p<%%= 1 %%>' >"$T/proj/page.asp"
printf 'a<%%= 2 %%>' >"$T/proj/site/a.asp"
printf 'b<%%= 3 %%>' >"$T/proj/site/sub/b.asp"
printf 'o<%%= 4 %%>' >"$T/other/o.asp"

check "a root-relative output: at the drive's root" "rc=0~$(code 'p<%= 1 %>')" \
  "$(run 'aspconv page.asp -o \out\page.vb?')$(sum <"$T/out/page.vb")"
check "a root-relative input: read from the drive's root" "rc=0~$(code 'a<%= 2 %>')" \
  "$(run 'aspconv \proj\site\a.asp >root.vb?')$(sum <"$T/proj/root.vb")"
check "drive-relative paths: in that drive's own current folder" "rc=0~$(code 'o<%= 4 %>')" \
  "$(run 'cd Q:\other' 'aspconv Q:o.asp -o Q:out.vb?')$(sum <"$T/other/out.vb")"

cp "$T/proj/page.asp" "$T/proj/kept.asp"
ln "$T/proj/kept.asp" "$T/proj/linked.asp"
for output in 'Q:\proj\kept.asp' 'linked.asp' 'P:\PROJ\KEPT.ASP'; do
  check "the input by another name ($output): refused, the page kept" \
    "aspconv: kept.asp: the output would replace this input~rc=1~$(sum <"$T/proj/page.asp")" \
    "$(run "aspconv kept.asp -o $output?")$(sum <"$T/proj/kept.asp")"
done

for site in '\\?\P:\proj\site' 'site\' '.\site\' 'site/' 'P:\proj\site\' 'site\sub\..'; do
  rm -rf "$T/proj/code"
  check "the folder $site: converted, named within it" "converted 2 files, 0 failed~rc=0~a.vb sub/b.vb" \
    "$(run "aspconv -o code $site?")$(cd "$T/proj/code" 2>/dev/null && find . -type f | sed 's|^\./||' | sort | xargs)"
done

rm -rf "$T/proj/code"
check "trailing dots and spaces: taken off, as Windows does" "rc=0~rc=0~rc=0~dotted.vb spaced.vb trimmed.vb" \
  "$(run 'aspconv page.asp -o dotted.vb.?' 'aspconv page.asp -o "spaced.vb  "?' 'aspconv page.asp. -o trimmed.vb?')$(cd "$T/proj" && ls | grep -a -e dotted -e spaced -e trimmed | xargs)"

rm -f "$T"/proj/*.vb
check "NUL in any folder, and \\\\.\\NUL: the device" "rc=0~rc=0~rc=0~" \
  "$(run 'aspconv page.asp -o .\NUL?' 'aspconv page.asp -o site\nul?' 'aspconv page.asp -o \\.\NUL?')$(cd "$T/proj" && find . -iname nul)"
check "an input in the \\\\.\\ form: read as given" "rc=0~$(code 'a<%= 2 %>')" \
  "$(run 'aspconv \\.\P:\proj\site\a.asp >device.vb?')$(sum <"$T/proj/device.vb")"

check "a name with a colon: refused, nothing left" \
  "aspconv: page.vb:x: names with ':' are not supported~rc=1~page.asp" \
  "$(run 'aspconv page.asp -o page.vb:x?')$(cd "$T/proj" && ls -a | grep -v -e '^\.*$' -e '^site$' -e '^kept.asp$' -e '^linked.asp$' -e '^device.vb$' | xargs)"

# Wildcards in an operand are expanded by the program; a quoted operand's and an option's are not.
mkdir -p "$T/proj/wild" "$T/proj/o1" "$T/proj/o2"
printf 'w<%%= 1 %%>' >"$T/proj/wild/w1.asp"; printf 'w<%%= 2 %%>' >"$T/proj/wild/w2.asp"
check "wildcards: an operand's expanded" "converted 2 files, 0 failed~rc=0~w1.vb w2.vb" \
  "$(run 'aspconv -o wild-code wild\w*.asp?')$(ls "$T/proj/wild-code" | xargs)"
check "wildcards: a quoted operand's and an option's not" "rc=1~rc=1~0" \
  "$(run 'aspconv -o quoted-code "wild\w*.asp" 2>nul?' 'aspconv page.asp -o o* 2>nul?')$(find "$T/proj/o1" "$T/proj/o2" "$T/proj/quoted-code" -type f 2>/dev/null | wc -l)"

# Messages that name the cause.
printf 'x' >"$T/proj/afile"
long=$(printf 'n%.0s' $(seq 256)).asp
check "messages: no match, a name too long, a file where a folder should be" \
  "aspconv: no file matches zz*.asp~rc=1~aspconv: $long: name too long~rc=1~aspconv: afile\\x.vb: afile is not a folder~rc=1~" \
  "$(run 'aspconv zz*.asp?' "aspconv $long?" 'aspconv page.asp -o afile\x.vb?')"

# To a console the code goes as text, whatever encoding its page is in; to a pipe, as bytes.
printf 'caf\xe9 <%%= x %%>' >"$T/proj/latin.asp"
(cd "$T/proj" && TERM=dumb timeout 120 script -qec "wine '$WIN/aspconv.exe' --encoding windows-1252 latin.asp" /dev/null >"$T/console" 2>>"$LOG")
(cd "$T/proj" && timeout 120 wine "$WIN/aspconv.exe" --encoding windows-1252 latin.asp >"$T/pipe" 2>>"$LOG")
check "code to a console: as text; to a pipe: in the page's encoding" "text bytes" \
  "$(grep -aqF "$(printf 'caf\xc3\xa9')" "$T/console" && echo text || echo "not text") $(grep -aqF "$(printf 'caf\xe9')" "$T/pipe" && echo bytes || echo "not bytes")"

finish_checks
