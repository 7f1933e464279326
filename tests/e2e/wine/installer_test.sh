#!/bin/bash
# The Windows installer under Wine, as a user without administrator rights meets it, in a fresh
# prefix: an older version installed first, then this MSI over it; the files, the Start-menu
# shortcut (target, icon and hotkey read from the .lnk itself), the entry in Apps & features,
# aspconv from a new cmd, aspclip converting from where it was installed; then an uninstall that
# leaves nothing behind. Run as root, the user is the tests' own unprivileged one.
# usage: installer_test.sh WINDOWS_BUILD_DIR REFERENCE_CONVERT
set -u
HERE=$(cd "$(dirname "$0")" && pwd)
. "$HERE/../lib.sh"

if [ -z "${INSTALLER_INNER:-}" ]; then
  WIN=$(realpath "$1")
  REFERENCE=$(realpath "$2")
  MSI=$(ls "$WIN"/aspclip-*-windows-x86_64.msi 2>/dev/null | head -1)
  missing=$(missing_tools wine wineserver wineboot winepath Xvfb python3 wixl msibuild msiinfo setpriv)
  [ -n "$MSI" ] || missing="$missing $WIN/aspclip-VERSION-windows-x86_64.msi"
  [ -f "$WIN/clipio.exe" ] || missing="$missing $WIN/clipio.exe"
  skip_if_missing "$missing"
  T=$(mktemp -d)
  chmod 755 "$T"
  cleanup() {
    kill "${XVFB_PID:-}" 2>/dev/null
    rm -rf "$T"
    remove_test_user
  }
  trap cleanup EXIT
  start_xvfb "$T"
  mkdir "$T/user"
  cp "$MSI" "$T/user/aspclip.msi"
  cp "$WIN/clipio.exe" "$T/user/"
  "$HERE/../../../scripts/make-msi" "$WIN" 0.9.0 "$T/user/older.msi" >"$T/make-msi.log" 2>&1 ||
    environment_failed "an older MSI made" "$T/make-msi.log"
  printf '<p><%%= "caf\xc3\xa9" %%></p>\r\n' >"$T/user/page"
  timeout 60 "$REFERENCE" <"$T/user/page" >"$T/user/page.vb"
  [ "$(id -u)" = 0 ] && { make_test_user; chown -R "$TEST_USER:" "$T/user"; }
  version=$(msiinfo export "$MSI" Property | tr -d '\r' | sed -n 's/^ProductVersion\t//p')
  INSTALLER_INNER=1 unprivileged "$0" "$T/user" "$version"
  exit $?
fi

T=$1
VERSION=$2
start_wine "$T" "$T"
trap 'wineserver -k >>"$LOG" 2>&1' EXIT
win() { timeout 120 wine "$@" 2>>"$LOG" | tr -d '\r'; }
msiexec() { timeout 300 wine msiexec "$@" >>"$LOG" 2>&1; echo $?; }
LOCAL=$(win cmd /c echo '%LOCALAPPDATA%')
ROAMING=$(win cmd /c echo '%APPDATA%')
FOLDER="$LOCAL\\Programs\\aspclip"
LINK=$(winepath -u "$ROAMING\\Microsoft\\Windows\\Start Menu\\Programs\\aspclip.lnk" 2>>"$LOG")
# entries: each entry in Apps & features named aspclip, as "version publisher help-link".
entries() {
  win reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall' /s |
    awk '/^HKEY/ { key = $0 } / DisplayName .* aspclip$/ { print key }' |
    while read -r key; do
      local values; values=$(win reg query "$key")
      printf '%s %s|%s\n' "$(sed -n 's/.*DisplayVersion *REG_SZ *//p' <<<"$values")" \
        "$(sed -n 's/.*Publisher *REG_SZ *//p' <<<"$values")" "$(sed -n 's/.*HelpLink *REG_SZ *//p' <<<"$values")"
    done
}

check "the older version installed" 0 "$(msiexec /i "$(winepath -w "$T/older.msi")" /qn)"
check "the older version: its entry" "0.9.0 The aspclip authors|$FOLDER\\README.txt" "$(entries)"
check "this version installed over it, no administrator asked for" 0 \
  "$(msiexec /i "$(winepath -w "$T/aspclip.msi")" /qn)"
check "one entry in Apps & features, of this version" "$VERSION The aspclip authors|$FOLDER\\README.txt" "$(entries)"
dir=$(winepath -u "$FOLDER")
check "the files in the user's Programs folder" "LICENSE.txt README.txt aspclip.exe aspconv.exe" \
  "$(ls "$dir" | xargs)"
check "the text files with CR LF line breaks" "0 0" \
  "$(for f in README.txt LICENSE.txt; do grep -c $'[^\r]$' "$dir/$f"; done | xargs)"
shortcut=$(python3 "$HERE/shell_link.py" "$LINK" 2>&1)
icon=$(sed -n 's/^icon \(.*\) 0$/\1/p' <<<"$shortcut")
check "the Start-menu shortcut: target, hotkey" "target $FOLDER\\aspclip.exe|hotkey Ctrl+Alt+Shift+F8" \
  "$(grep -v '^icon' <<<"$shortcut" | tr '\n' '|' | sed 's/|$//')"
check "the shortcut's icon: the program's" "$(md5sum <"$HERE/../../../data/icons/aspclip.ico")" \
  "$(md5sum <"$(winepath -u "$icon" 2>>"$LOG")" 2>&1)"
check "the entry's icon: the program's" "$icon" \
  "$(win reg query 'HKCU\Software\Microsoft\Installer\Products' /s | sed -n 's/.*ProductIcon *REG_SZ *//p')"
check "aspconv found from a new cmd" "aspconv $VERSION" "$(cd "$T" && win cmd /c 'cd /d C:\ & aspconv --version')"

wine "$T/clipio.exe" hold >>"$LOG" 2>&1 & hold=$!
win "$T/clipio.exe" set "$T/page"
timeout 60 wine "$dir/aspclip.exe" >>"$LOG" 2>&1 & run=$!
win "$T/clipio.exe" dismiss "$T/box" 20
wait "$run"; rc=$?
win "$T/clipio.exe" get "$T/out"
check "aspclip from its installed place: converts" "0|aspclip|Code converted|$(md5sum <"$T/page.vb")" \
  "$rc|$(tr -d '\r' <"$T/box" | tr '\n' '|' | sed 's/|$//')|$(md5sum <"$T/out")"
kill "$hold" 2>/dev/null; wait "$hold" 2>/dev/null

check "uninstalled" 0 "$(msiexec /x "$(winepath -w "$T/aspclip.msi")" /qn)"
# The user's own name may hold "aspclip": it is left out of what is searched.
of_aspclip() { sed "s/$(id -un)/USER/g" | grep -i -B2 aspclip | head -5; }
check "uninstalled: no file, folder or shortcut left" "" \
  "$(find "$WINEPREFIX/drive_c" | sed "s|$WINEPREFIX/||" | of_aspclip)"
for hive in HKCU HKLM; do
  win reg export "$hive" "$(winepath -w "$T/$hive.reg")" /y >/dev/null
  check "uninstalled: nothing of it in $hive" "" \
    "$(iconv -f UTF-16 -t UTF-8 "$T/$hive.reg" | tr -d '\r' | of_aspclip)"
done
check "uninstalled: no entry in Apps & features" "" "$(entries)"
finish_checks
