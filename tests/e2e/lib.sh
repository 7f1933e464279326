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
