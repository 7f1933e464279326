#!/bin/bash
# aspclip on X11 with large texts and other programs: large pages, readers that die, slow and
# endless owners, an owner that never answers, signals, clipboard managers, too little memory,
# the X server going away, no display.
# usage: transfers.sh ASPCLIP REFERENCE_CONVERT
. "$(dirname "$0")/session.sh"

# A 5 MB page.
/usr/bin/python3 -c "
import sys; line = 'abc <%=x%> d\u00e9f \U0001F600 \"ghi\" jkl mno pqr stu vwx yz\r\n'
sys.stdout.buffer.write((line * (5 * 2**20 // len(line.encode()) + 1)).encode()[:5 * 2**20])" >"$T/big"
expect_converted "5 MB page" "$T/big"

# Readers killed 30 ms into a 20 MB result: the server keeps nothing of theirs, and a later
# reader, which may get a dead one's window ID, still reads the whole code.
/usr/bin/python3 -c "
import sys; line = 'abc <%=x%> d\u00e9f \"ghi\" jkl mno pqr stu vwx yz\r\n'
sys.stdout.buffer.write((line * (16 * 2**20 // len(line.encode()))).encode())" >"$T/large"
expected "$T/large" >"$T/large.vb"
abort_readers() {  # abort_readers [TYPE]: 20 readers, each killed 30 ms in
  for _ in $(seq 20); do
    xclip -selection clipboard -o ${1:+-t "$1"} >/dev/null 2>&1 & reader=$!
    sleep 0.03; kill -9 "$reader" 2>/dev/null; wait "$reader" 2>/dev/null
  done
}
put "$T/large"
run_prog
abort_readers
check "aborted readers: a complete read is exact" "$(md5sum <"$T/large.vb")" "$(get | md5sum)"
private_kb=$(awk '/^Anonymous:/ { print $2 }' "/proc/$SERVER/smaps_rollup")
result_kb=$(($(wc -c <"$T/large.vb") / 1024))
check "aborted readers: server memory below 3 times the result" yes \
  "$([ "$private_kb" -lt $((3 * result_kb)) ] && echo yes || echo "$private_kb KB for $result_kb KB")"
# The same for the 8-bit STRING form, which GTK converts.
get STRING >"$T/large.string"
abort_readers STRING
check "aborted readers: a complete read of STRING is exact" "$(md5sum <"$T/large.string")" \
  "$(get STRING | md5sum)"
# A reader that dies halfway through its transfer leaves nothing under way: a SIGTERM, with no
# clipboard manager to wait for, ends the server at once.
check "a reader dead halfway: its transfer had begun" midway \
  "$(timeout 20 /usr/bin/python3 "$HERE/partial_reader.py" 2>&1)"
start=$(date +%s%N)
kill -TERM "$SERVER"; gone_soon "$SERVER" 100
ms=$((($(date +%s%N) - start) / 1000000))
check "a reader dead halfway: a SIGTERM then ends the server within 1 s" yes \
  "$([ "$ms" -lt 1000 ] && echo yes || echo "no, $ms ms")"
echo next | xclip -selection clipboard -i >/dev/null 2>&1
rm -f "$T/large" "$T/large.vb" "$T/large.string"

# An owner that sends 6 MB at 1 MB/s never stalls: the 5 seconds run from its last piece.
/usr/bin/python3 -c "
import sys; line = 'abc <%=x%> d\u00e9f \U0001F600 \"ghi\" jkl mno pqr stu vwx yz\r\n'
sys.stdout.buffer.write((line * (6 * 2**20 // len(line.encode()))).encode())" >"$T/slow"
coproc SLOW { /usr/bin/python3 "$HERE/slow_owner.py" "$T/slow" 1000000; }
slow=$SLOW_PID
read -r _ <&"${SLOW[0]}"
run_prog
check "slow owner: converted" "Code converted $(expected "$T/slow" | md5sum)" "$MSG $(get | md5sum)"
kill "$slow" 2>/dev/null  # it ends by itself once the code replaces its text
wait "$slow" 2>/dev/null

# An owner that never ends its transfer: past 1 GiB the run stops reading, says so, and leaves the
# clipboard to that owner.
coproc ENDLESS { /usr/bin/python3 "$HERE/slow_owner.py" "$T/example" 0 endless; }
endless=$ENDLESS_PID
read -r _ <&"${ENDLESS[0]}"
before=$(owner)
BOX_SECONDS=90 run_prog  # a gigabyte comes in some 15 seconds
check "endless owner: message" "Could not read the clipboard: the clipboard text is too large (1024 MB)" "$MSG"
check "endless owner: exit status, no server, owner kept" "1 none $before" "$RC ${SERVER:-none} $(owner)"
kill "$endless" 2>/dev/null
wait "$endless" 2>/dev/null

# A clipboard owner that never answers: after 5 seconds the run gives up, says why, exits non-zero
# and changes nothing. The owner is a previous run's server: xclip, once resumed, would die of the
# X error that answering a vanished requestor raises.
put "$T/example"
run_prog
owner=$SERVER
held=$(get | md5sum)
kill -STOP "$owner"
run_prog
kill -CONT "$owner"
check "owner not answering: message" "Could not check the clipboard for text: the program that owns the clipboard did not answer within 5 seconds" "$MSG"
check "owner not answering: exit status, no new server" "1 $owner" "$RC $(servers | tr '\n' ' ' | xargs)"
check "owner not answering: clipboard unchanged" "$held" "$(get | md5sum)"

# The background server ends cleanly when asked to (SIGTERM) and at logout (SIGHUP).
for signal in TERM HUP; do
  put "$T/example"
  run_prog
  server=$SERVER
  check "SIG$signal: a server runs" yes "$([ -n "$server" ] && echo yes || echo no)"
  kill -"$signal" "$server"
  gone_soon "$server" && check "SIG$signal: server ends" ok ok || check "SIG$signal: server ends" gone "$server alive"
done

# Clipboard managers: the code is still pasteable after the server has ended, and once something
# else is copied, the manager's history has it. Each manager starts afresh with a home of its own:
# with no panel to sit in, xfce4-clipman quits after about a minute. xfce4-clipman reads a new
# clipboard text as it comes and writes its history when it quits; parcellite looks every half
# second and writes its history as it grows.
manager_history() {  # manager_history MANAGER: the file that holds its history once it has quit
  case "$1" in
    xfce4-clipman) echo "$T/home/.cache/xfce4/clipman/textsrc" ;;
    parcellite) echo "$T/home/.local/share/parcellite/history" ;;
  esac
}
start_manager() {  # start_manager MANAGER: sets MANAGER_PID
  rm -rf "$T/home"; mkdir "$T/home"
  HOME=$T/home "$1" >/dev/null 2>&1 & MANAGER_PID=$!
  sleep 1.5
}
stop_manager() { kill "$MANAGER_PID"; finish "$MANAGER_PID" 2>/dev/null; }
in_history() { grep -q -a -F "$2" "$(manager_history "$1")" 2>/dev/null; }  # MANAGER TEXT
await_manager_copy() {  # await_manager_copy MANAGER TEXT: until the manager has read TEXT
  case "$1" in
    # Under load parcellite reads megabytes slowly (from xclip, in small pieces), up to a minute
    # right after a build; its history shows when it has. Were the page still coming in when the
    # run takes the clipboard, its reader would hang.
    parcellite) for _ in $(seq 600); do in_history parcellite "$2" && break; sleep 0.1; done ;;
    *) sleep 1.5 ;;
  esac
}
code_mark='OutputString = OutputString & "'
# parcellite takes the whole clipboard again every half second: with a 5 MB code, what it put back
# after the server ended was, right after a fresh build, not the code (three runs in three), while
# it was the code in every other run. xfce4-clipman covers the 5 MB code.
for manager in xfce4-clipman parcellite; do
  pages=(example big)
  [ "$manager" = parcellite ] && pages=(example)
  for page in "${pages[@]}"; do
    start_manager "$manager"
    put "$T/$page"
    await_manager_copy "$manager" "$(grep -a -o -m1 '<%[^%]*%>' "$T/$page")"
    run_prog
    await_manager_copy "$manager" "$code_mark"
    kill -TERM "$SERVER"
    # A TERM lets the hand-off run out, then a read under way end (the manager's of a big code)
    # for up to 2 seconds more: the wait is the hand-off check's 5.
    gone_soon "$SERVER" 100 && ended=yes || ended=no
    want=$(expected "$T/$page" | md5sum)
    # parcellite puts its copy back at one of its next looks, and a 5 MB copy takes it a while,
    # more than 10 seconds now and then even on a quiet machine: it is waited for up to 30.
    for _ in $(seq 60); do [ "$(get | md5sum)" = "$want" ] && break; sleep 0.5; done
    check "$manager, $page: server ended by SIGTERM, code pasteable" "yes $want" \
      "$ended $(get | md5sum)"
    echo next | xclip -selection clipboard -i >/dev/null 2>&1; sleep 1
    stop_manager
    check "$manager, $page: the code in the manager's history after another copy" yes \
      "$(in_history "$manager" "$code_mark" && echo yes || echo no)"
  done
done
# xfce4-clipman keeps the clipboard manager's selection but never says it has taken a copy: the
# hand-off waits for it at most 2 seconds, and a copy by another program ends it at once.
start_manager xfce4-clipman
for ending in copy TERM; do
  put "$T/example"
  run_prog
  start=$(date +%s%N)
  case $ending in
    copy) echo next | xclip -selection clipboard -i >/dev/null 2>&1 ;;
    TERM) kill -TERM "$SERVER" ;;
  esac
  gone_soon "$SERVER" 100
  ms=$((($(date +%s%N) - start) / 1000000))
  bound=$([ $ending = copy ] && echo 500 || echo 2500)
  check "hand-off to xfce4-clipman: a $ending ends the server within $bound ms" yes \
    "$([ -n "$SERVER" ] && [ "$ms" -lt "$bound" ] && echo yes || echo "no, ${SERVER:-no server}, $ms ms")"
done
stop_manager

# A signal while the box shows closes it, and the run still ends as after OK: the code was put
# on the clipboard, and the foreground process reports success.
put "$T/example"
"$PROG" & first=$!
find_box >/dev/null
kill -TERM "$(box_process "$first")"
finish "$first"; rc=$?

finish_group
