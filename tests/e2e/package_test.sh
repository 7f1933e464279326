#!/bin/bash
# The packages in DIST as a user gets them: the .deb is clean under lintian, holds the programs,
# the desktop entry, icons, metainfo, manual pages and copyright, and its aspconv converts the
# worked example; the zip holds the Windows programs, the README and the LICENSE.
# usage: package_test.sh DIST
set -u
DIST=$(realpath "$1")
. "$(dirname "$0")/lib.sh"
skip_if_missing "$(missing_tools lintian dpkg-deb appstreamcli mandoc python3 desktop-file-validate)"
T=$(mktemp -d)
trap 'rm -rf "$T"' EXIT

deb=$(ls "$DIST"/aspclip_*_amd64.deb)
zip=$(ls "$DIST"/aspclip-*-windows-x86_64.zip)
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
finish_checks
