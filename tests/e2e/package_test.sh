#!/bin/bash
# The packages in DIST as a user gets them: the .deb is clean under lintian, holds the programs,
# the desktop entry, icons, metainfo, manual pages and copyright, and its aspconv converts the
# worked example; the zip holds the Windows programs, the README and the LICENSE; the installer's
# tables say what it installs and where.
# usage: package_test.sh DIST
set -u
DIST=$(realpath "$1")
. "$(dirname "$0")/lib.sh"
skip_if_missing "$(missing_tools lintian dpkg-deb appstreamcli mandoc python3 desktop-file-validate msiinfo msiextract)"
T=$(mktemp -d)
trap 'rm -rf "$T"' EXIT

deb=$(ls "$DIST"/aspclip_*_amd64.deb)
zip=$(ls "$DIST"/aspclip-*-windows-x86_64.zip)
msi=$(ls "$DIST"/aspclip-*-windows-x86_64.msi)
# lintian says nothing of a clean package: its exit status tells that it ran and found nothing.
# Its scratch files go to the test's folder: it leaves one behind in TMPDIR.
TMPDIR=$T timeout 300 lintian "$deb" >"$T/lintian" 2>&1; rc=$?
check "deb: lintian ran and found nothing wrong" "0 none" \
  "$rc $(grep -E '^(E|W):' "$T/lintian" || echo none)"
grep -v 'root privileges' "$T/lintian"

dpkg-deb -x "$deb" "$T/root"
for file in usr/bin/aspclip usr/bin/aspconv usr/share/applications/org.aspclip.aspclip.desktop \
  usr/share/metainfo/org.aspclip.aspclip.metainfo.xml usr/share/icons/hicolor/scalable/apps/aspclip.svg \
  usr/share/icons/hicolor/48x48/apps/aspclip.png usr/share/icons/hicolor/256x256/apps/aspclip.png \
  usr/share/man/man1/aspclip.1.gz usr/share/man/man1/aspconv.1.gz usr/share/doc/aspclip/copyright; do
  check "deb holds $file" yes "$([ -f "$T/root/$file" ] && echo yes || echo no)"
done
check "deb: desktop entry valid, without a hint" "" \
  "$(desktop-file-validate "$T/root/usr/share/applications/org.aspclip.aspclip.desktop" 2>&1)"
check "deb: metainfo valid" 0 "$(appstreamcli validate --no-net "$T/root/usr/share/metainfo/"*.xml >/dev/null 2>&1; echo $?)"
for page in aspclip aspconv; do
  zcat "$T/root/usr/share/man/man1/$page.1.gz" >"$T/$page.1"
  check "deb: $page(1) clean under mandoc" "" "$(mandoc -T lint "$T/$page.1" 2>&1)"
done
# The Wayland clipboard needs only libwayland-client, which GTK needs on every desktop anyway: an
# X11-only system installs the package as before.
check "deb: depends on the Wayland client library, as GTK does" "yes yes" \
  "$(dpkg-deb -f "$deb" Depends | grep -q 'libwayland-client0' && echo yes || echo no) $(
     apt-cache depends libgtk-3-0 2>/dev/null | grep -q 'Depends: libwayland-client0' && echo yes || echo no)"
check "deb: programs stripped" "" "$(file "$T/root/usr/bin/"* | grep -v ', stripped')"

printf '<html>\r\n<body>\r\n<%%Set c = Server.CreateObject("App.Counter")%%>\r\n<p class="x">Hello, <%%=name%%>!</p>\r\n</body>\r\n</html>' >"$T/example"
printf '\r\nOutputString = OutputString & "<html>" & vbCrLf & "<body>"\r\nSet c = CreateObject("App.Counter")\r\nOutputString = OutputString & "<p class=""x"">Hello, " & name & "!</p>" & vbCrLf & "</body>" & vbCrLf & "</html>"\r\n' >"$T/example.vb"
check "deb: its aspconv converts the worked example" "$(md5sum <"$T/example.vb")" \
  "$(timeout 10 "$T/root/usr/bin/aspconv" <"$T/example" | md5sum)"

check "zip: its files, a user's README among them" "LICENSE.txt README.txt aspclip.exe aspconv.exe" \
  "$(python3 -c 'import sys, zipfile; print(*sorted(zipfile.ZipFile(sys.argv[1]).namelist()))' "$zip")"
check "zip: its text files with CR LF line breaks throughout" "LICENSE.txt yes README.txt yes" \
  "$(python3 -c '
import sys, zipfile
z = zipfile.ZipFile(sys.argv[1])
for name in ("LICENSE.txt", "README.txt"):
    text = z.read(name)
    whole = text.count(b"\n") == text.count(b"\r\n") > 0
    print(name, "yes" if whole else "no", end=" ")' "$zip" | sed 's/ $//')"

# The installer's database, read with msiinfo: a per-user package for x64 that asks for no
# administrator, its files, the Start-menu shortcut with its icon and hotkey (Ctrl+Alt+Shift+F8:
# modifiers 7 in the high byte, VK_F8 in the low), aspconv's folder added to the user's PATH and
# taken out again, the entry's icon and help link, and a major upgrade over older versions.
table() { msiinfo export "$msi" "$1" | tr -d '\r' | tail -n +4 | sort; }  # table NAME: its rows
check "msi: per-user, x64, no administrator asked for" "x64;1033 10" \
  "$(msiinfo suminfo "$msi" | sed -n 's/^Template: //p; s/^Source: \([0-9]*\).*/\1/p' | xargs)"
check "msi: its files" "LICENSE.txt README.txt aspclip.exe aspconv.exe" \
  "$(table File | cut -f3 | sort | xargs)"
check "msi: the installed folder" "INSTALLDIR|UserPrograms|aspclip UserPrograms|LocalAppDataFolder|Programs" \
  "$(table Directory | grep -E '^(INSTALLDIR|UserPrograms)' | tr '\t' '|' | xargs)"
check "msi: the shortcut" "aspclip ProgramMenuFolder [INSTALLDIR]aspclip.exe 1911 aspclip.ico" \
  "$(table Shortcut | awk -F '\t' '{ print $3, $2, $5, $8, $9 }')"
check "msi: aspconv's folder on the user's PATH" "=-PATH [~];[INSTALLDIR]" \
  "$(table Environment | cut -f2,3 | tr '\t' ' ')"
check "msi: the environment written and removed" "RemoveEnvironmentStrings WriteEnvironmentStrings" \
  "$(table InstallExecuteSequence | cut -f1 | grep EnvironmentStrings | xargs)"
check "msi: the entry's icon, help link and publisher" \
  "ARPPRODUCTICON=aspclip.ico Manufacturer=The aspclip authors SetHelpLink=ARPHELPLINK=[INSTALLDIR]README.txt" \
  "$(table Property | grep -E '^(ARPPRODUCTICON|Manufacturer)' | tr '\t' '=' | tr '\n' ' ')$(
     table CustomAction | awk -F '\t' '$1 == "SetHelpLink" { print $1 "=" $3 "=" $4 }')"
check "msi: upgrades older versions in place" "RemoveExistingProducts yes" \
  "$(table InstallExecuteSequence | cut -f1 | grep -x RemoveExistingProducts) $(
     [ "$(table Upgrade | wc -l)" -ge 1 ] && echo yes || echo no)"
msiextract -C "$T/msi" "$msi" >/dev/null
check "msi: its text files with CR LF line breaks throughout" "0 0" \
  "$(for f in README.txt LICENSE.txt; do grep -c $'[^\r]$' "$(find "$T/msi" -name "$f")"; done | xargs)"
finish_checks
