# What the Wine groups share, sourced by each with the group's arguments WINDOWS_BUILD_DIR
# STATE_DIR REFERENCE_CONVERT: the tools (TOOLS) and Windows programs (PROGRAMS) the group names
# are looked for first; then a private headless display, the Wine prefix in STATE_DIR started for
# a scratch folder T. The group's end stops Wine and the display and removes T, after the group's
# own end_group where it defines one.
HERE=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
WIN=$(realpath "$1")
STATE=$(realpath -m "$2")
REFERENCE=$(realpath "$3")
. "$HERE/../lib.sh"

missing=$(missing_tools $TOOLS)
for exe in $PROGRAMS; do [ -f "$WIN/$exe.exe" ] || missing="$missing $WIN/$exe.exe"; done
skip_if_missing "$missing"

mkdir -p "$STATE"
T=$(mktemp -d)
start_xvfb "$T"
cleanup() {
  declare -F end_group >/dev/null && end_group
  wineserver -k >>"${LOG:-/dev/null}" 2>&1
  kill "$XVFB_PID" 2>/dev/null
  rm -rf "$T"
}
trap cleanup EXIT
start_wine "$STATE" "$T"
