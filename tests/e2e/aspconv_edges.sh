#!/bin/bash
# aspconv under hostile but ordinary conditions: closed standard streams, folders it cannot read,
# links, devices and FIFOs as output, files that read short, shrink or change while read,
# signals, long names, read-only targets, memory, and the messages. Every start is bounded; every
# row checks the exit code.
# usage: aspconv_edges.sh ASPCONV REFERENCE_CONVERT
set -u
. "$(dirname "$0")/lib.sh"
skip_if_missing "$(missing_tools setpriv iconv mkfifo python3 /usr/bin/time)"
aspconv_workplace "$1" "$2"
as_other() { setpriv --reuid=65534 --regid=65534 --clear-groups "$@"; }
leftovers() { find "$@" -name '*.tmp' | wc -l; }  # temporaries left in the folders

# Closed standard streams: nothing is taken for one of them that is not.
mkdir site
for k in $(seq 200); do cp page.asp "site/p$k.asp"; done
aspconv -o code site >&- 2>err; rc=$?
check "stdout closed, a folder: every file written" "0 200 converted 200 files, 0 failed" \
  "$rc $(find code -name '*.vb' -size +0 | wc -l) $(cat err)"
aspconv page.asp -o one.vb >&-; rc=$?
check "stdout closed, one file" "0 $(sum <page.vb)" "$rc $(sum <one.vb)"
aspconv page.asp -o one.vb <&-; rc=$?
check "stdin closed, one file" "0 $(sum <page.vb)" "$rc $(sum <one.vb)"
aspconv <&- >empty.vb; rc=$?
check "stdin closed, no operand: an empty page" "0 0" "$rc $(stat -c %s empty.vb)"
printf 'bad \xff' | aspconv 2>&- >/dev/null
check "stderr closed: a failure still fails" 1 $?
aspconv page.asp >&- 2>err; rc=$?
check "stdout closed, the code for it: fails, as cat does" \
  "1 aspconv: cannot write output: Bad file descriptor" "$rc $(cat err)"
for request in --version --help; do
  aspconv "$request" >/dev/full 2>err; rc=$?
  check "$request to a full device: a write error" "1 aspconv: write error: No space left on device" \
    "$rc $(cat err)"
done

# -o - is standard output; no file named - is made, nor one that is there replaced.
printf 'kept' >-
aspconv -o - page.asp >dash.vb; rc=$?
check "-o -: standard output" "0 $(sum <page.vb) kept" "$rc $(sum <dash.vb) $(cat ./-)"
printf 'a<%%= b %%>\r\n<p class="x">c</p>' | aspconv -o - >dash.vb; rc=$?
check "-o - from standard input: standard output" "0 $(sum <page.vb) kept" "$rc $(sum <dash.vb) $(cat ./-)"
rm -f ./- dash.vb

# A folder that cannot be read is named and counted; the walk goes on around it.
mkdir -p locked/a/b locked/c
cp page.asp locked/a/b/x.asp; cp page.asp locked/a/y.asp; cp page.asp locked/c/z.asp
chmod 000 locked/a/b
chmod -R a+rwX code 2>/dev/null; mkdir -m 777 locked-code
cp "$ASPCONV" own-aspconv  # where the other user may run it
(cd "$T" && as_other timeout 60 ./own-aspconv -o locked-code locked 2>err); rc=$?
check "unreadable folder: named, counted, the others converted" \
  "1 aspconv: locked/a/b: cannot read folder: Permission denied~converted 2 files, 1 failed~ a/y.vb c/z.vb" \
  "$rc $(tr '\n' '~' <err) $(cd locked-code && find . -name '*.vb' | sed 's|^\./||' | sort | xargs)"
chmod 755 locked/a/b

# Dangling links and FIFOs named like pages are named, counted and left alone.
mkdir odd; cp page.asp odd/good.asp; ln -s nowhere.asp odd/dangling.asp; mkfifo odd/fifo.inc
aspconv -o odd-code odd 2>err; rc=$?
check "not regular files in a site: named, counted" \
  "1 aspconv: odd/dangling.asp: not a regular file~aspconv: odd/fifo.inc: not a regular file~converted 1 file, 2 failed~" \
  "$rc $(tr '\n' '~' <err)"

# A link to a folder is not followed: a link back up would walk the site again and again.
mkdir walk; cp page.asp walk/a.asp; ln -s .. walk/up; ln -s "$T/walk" walk/self
aspconv -o walk-code walk 2>err; rc=$?
check "links to folders in a site: not followed" "0 |a.vb" \
  "$rc $(cat err)|$(cd walk-code && find . -type f | sed 's|^\./||' | xargs)"

# Devices, FIFOs and sockets are written straight; only a regular file is replaced.
mkfifo pipe.vb
timeout 60 cat pipe.vb >from-pipe & reader=$!
aspconv page.asp -o pipe.vb; rc=$?
wait "$reader"
check "a FIFO as -o: written through, still a FIFO" "0 $(sum <page.vb) fifo" \
  "$rc $(sum <from-pipe) $([ -p pipe.vb ] && echo fifo || echo replaced)"
# The machine's own /dev/null and /dev/stdout, which a broken run as root would replace, are
# stood in for by a device node and a link of the test's own.
mknod null c 1 3
aspconv page.asp -o null; rc=$?
check "a device as -o: written through, still the device" "0 character special file" \
  "$rc $(stat -c %F null)"
ln -s /proc/self/fd/1 stdout
aspconv page.asp -o stdout >stdout.vb; rc=$?
check "a link to standard output as -o, as /dev/stdout is: the link kept" "0 $(sum <page.vb) link" \
  "$rc $(sum <stdout.vb) $([ -L stdout ] && echo link || echo replaced)"

# A file that reads short before its end is read to the end. /proc/kallsyms, megabytes long, gives
# a few kilobytes a read; it holds no quote or delimiter, so its code's literal gives back its text.
timeout 60 cat /proc/kallsyms >kallsyms
aspconv /proc/kallsyms >short.vb; rc=$?
check "a file of /proc, which reads short: read whole" "0 $(sed -z 's/\n$//' kallsyms | sum)" \
  "$rc $(/usr/bin/python3 -c '
import sys
code = open(sys.argv[1], "rb").read()
code = code.removeprefix(b"\r\nOutputString = OutputString & \"").removesuffix(b"\"\r\n")
code = code.replace(b"\" & vbCrLf & _\r\n  \"", b"\n").replace(b"\" & vbCrLf & \"", b"\n")
sys.stdout.buffer.write(code)' short.vb | sum)"

# A signal during a run removes its temporaries and ends it with status 128 + the signal's number;
# a signal ignored at the start stays ignored.
# The page of quotes takes a while to convert, so that the signal comes while it does: the
# sanitizers' build, which hands text on in pieces of 32 bytes, takes a smaller one as long.
quote_mb=300
[ -n "${ASPCONV_SANITIZED:-}" ] && quote_mb=20
head -c "${quote_mb}000000" /dev/zero | tr '\0' '"' >quotes.asp
mkdir sig; cp page.asp sig/a.asp; cp quotes.asp sig/b.asp
await_temporary() {  # await_temporary: until the run has a temporary, or 2 seconds have passed
  for _ in $(seq 200); do [ "$(leftovers sig-code 2>/dev/null)" -gt 0 ] && break; sleep 0.01; done
}
for signal in INT TERM HUP; do
  rm -rf sig-code
  timeout 300 "$ASPCONV" -o sig-code sig 2>/dev/null & run=$!
  await_temporary
  kill -"$signal" "$run"; wait "$run"; rc=$?
  check "SIG$signal during a run: its status, no temporary left" \
    "$((128 + $(kill -l "$signal"))) 0" "$rc $(leftovers sig-code)"
done
rm -rf sig-code
# timeout would catch the signal itself: the shell it starts ignores it, then is the program.
timeout 300 bash -c 'trap "" INT; exec "$0" -o sig-code sig' "$ASPCONV" & run=$!
await_temporary
pkill -INT -P "$run"; wait "$run"; rc=$?
check "SIGINT ignored at the start: the run completes" "0 2" "$rc $(find sig-code -name '*.vb' | wc -l)"
rm -rf sig-code sig quotes.asp

# A file that shrinks while it is read: no death by a signal, and no temporary left; the page
# converts from what was read, or fails with a message.
# It shrinks once the run has mapped it; the rest of it is read as nothing, which the sanitizers'
# build reads slowly, so that build takes a smaller file.
# convert_mapped NAME: a page NAME.asp of 'a's, converted to NAME.vb in the background (RUN), once
# the run has mapped it.
convert_mapped() {
  head -c "$((quote_mb * 2 / 3))000000" /dev/zero | tr '\0' a >"$1.asp"
  timeout 120 "$ASPCONV" "$1.asp" -o "$1.vb" 2>err & run=$!
  for _ in $(seq 1000); do
    grep -qs "$1.asp" "/proc/$(pgrep -P "$run")/maps" || ! alive "$run" && break
    sleep 0.01
  done
}
convert_mapped shrinking
truncate -s 1000 shrinking.asp
wait "$run"; rc=$?
check "a file shrinking as it is read: converted or refused with a word" yes \
  "$( { [ "$rc" = 0 ] || { [ "$rc" = 1 ] && grep -q 'shrinking.asp: cannot read input: the file changed while it was read' err; }; } && [ "$(leftovers .)" = 0 ] && echo yes || echo "no: $rc $(cat err)")"
rm -f shrinking.asp shrinking.vb
# Its reading ends at once: little or none of its code is written (here to a FIFO, written straight
# as it comes), not the code of the rest of it read as nothing.
mkfifo shrunk.vb
timeout 120 wc -c <shrunk.vb >shrunk.count & counter=$!
convert_mapped shrunk
truncate -s 1000 shrunk.asp
wait "$run"; rc=$?; wait "$counter"
check "a file shrinking as it is read: refused at once, little of its code written" "1 yes" \
  "$rc $([ "$(cat shrunk.count)" -lt "$((quote_mb * 2 / 3 * 250000))" ] && echo yes || echo "no: $(cat shrunk.count) bytes")"
rm -f shrunk.asp shrunk.vb shrunk.count

# A page saved over in place while it converts keeps its size, not its modification time: the page
# fails, or, had it been converted before the save, its code holds none of the new text.
convert_mapped rewritten
head -c 1000 /dev/zero | tr '\0' b | dd of=rewritten.asp bs=1000 seek=1000 conv=notrunc status=none
wait "$run"; rc=$?
check "a page saved over in place as it converts: refused with a word" yes \
  "$( { { [ "$rc" = 1 ] && grep -q 'rewritten.asp: cannot read input: the file changed while it was read' err; } ||
        { [ "$rc" = 0 ] && ! grep -q b rewritten.vb; }; } &&
      [ "$(leftovers .)" = 0 ] && echo yes || echo "no: $rc $(cat err)")"
rm -f rewritten.asp rewritten.vb

# A page whose one clean cut comes early: its large last chunk's code goes out as it is made, not
# held whole, so the run holds little more than the page. The sanitizers' memory is their own.
if [ -z "${ASPCONV_SANITIZED:-}" ]; then
  /usr/bin/python3 -c "
import sys
sys.stdout.write('<p>a</p>\r\n<%\r\nx = 1\r\n%>' * 5000 + '<p>a line of markup</p>\r\n' * (64 * 2**20 // 25))" >early.asp
  kb=$( { /usr/bin/time -f %M timeout 60 "$ASPCONV" early.asp -o early.vb; } 2>&1); rc=$?
  check "one early cut in a 64 MB page: peak memory within 1.25 times the page" "0 yes" \
    "$rc $([ "${kb:-0}" -gt 0 ] && [ "$kb" -lt $(( $(stat -c %s early.asp) * 5 / 4 / 1024 )) ] && echo yes || echo "no: ${kb} KiB")"
  rm -f early.asp early.vb
fi

# A name as long as a name may be: its temporary fits too.
long=$(printf 'p%.0s' $(seq 240)).asp
cp page.asp "$long"
aspconv "$long" -o "${long%.asp}.vb"; rc=$?
check "a page name of 244 characters" "0 $(sum <page.vb)" "$rc $(sum <"${long%.asp}.vb")"
longest=$(printf 'q%.0s' $(seq 252)).vb
aspconv page.asp -o "$longest"; rc=$?
check "an output name of 255 bytes, the most a name may have" "0 $(sum <page.vb)" "$rc $(sum <"$longest")"

# A read-only output is replaced with its permissions kept, as editors that save by rename do.
printf old >readonly.vb; chmod 444 readonly.vb
aspconv page.asp -o readonly.vb; rc=$?
check "a read-only target: replaced, still read-only" "0 $(sum <page.vb) 444" \
  "$rc $(sum <readonly.vb) $(stat -c %a readonly.vb)"

# Control characters in a name are shown escaped: a hostile site's names cannot drive the terminal
# nor split a message.
aspconv "$(printf 'bad\033[31m\nname\302\233.asp')" 2>err; rc=$?
check "a name with control characters: shown escaped, one line" \
  '1 aspconv: bad\033[31m\nname\u009b.asp: cannot read input: No such file or directory' \
  "$rc $(cat err)"

# Each message names the real cause and the real operand.
printf 'x' >a-file; mkdir a-folder
while IFS=';' read -r arguments code err; do
  aspconv $arguments </dev/null >/dev/null 2>err; rc=$?
  check "message for '$arguments'" "$code;$err" "$rc;$(tr '\n' '~' <err)"
done <<'CASES'
page.asp -xy;2;aspconv: unrecognized option '-x'~Try 'aspconv --help'.~
-o a-file page.asp site/p1.asp;2;aspconv: several inputs or a folder need an output folder, and a-file is not one~Try 'aspconv --help'.~
--encoding= page.asp;2;aspconv: unknown encoding ''~Try 'aspconv --help'.~
-o newdir/ page.asp;0;
-o twice page.asp page.asp;0;
-o a-folder page.asp;0;
CASES
check "-o A_FOLDER with one page: the page's code in it" "$(sum <page.vb)" "$(sum <a-folder/page.vb)"
check "-o newdir/: the page's code in it" "$(sum <page.vb)" "$(sum <newdir/page.vb)"
check "a page named twice: converted once, without a clash" "$(sum <page.vb)" "$(sum <twice/page.vb)"

finish_checks
