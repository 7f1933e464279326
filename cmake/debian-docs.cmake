# The files a Debian package keeps in /usr/share/doc/aspclip: the copyright, in the machine-readable
# form, made from LICENSE, and the changelog of a native package, compressed as Debian's tools
# expect.
include(GNUInstallDirs)
file(READ ${PROJECT_SOURCE_DIR}/LICENSE license)
string(REGEX REPLACE "^MIT License\n\nCopyright [^\n]*\n\n" "" license "${license}")
string(REGEX REPLACE "\n$" "" license "${license}")
string(REPLACE "\n\n" "\n.\n" license "${license}")
string(REPLACE "\n" "\n " license "${license}")
file(WRITE ${PROJECT_BINARY_DIR}/debian/copyright
"Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/
Upstream-Name: aspclip

Files: *
Copyright: 2026 The aspclip authors
License: Expat
 ${license}
")
file(WRITE ${PROJECT_BINARY_DIR}/debian/changelog
"aspclip (${PROJECT_VERSION}) unstable; urgency=medium

  * Release ${PROJECT_VERSION}.

 -- ${CPACK_PACKAGE_CONTACT}  Mon, 07 Dec 2026 12:00:00 +0000
")
execute_process(COMMAND gzip -9 -n -f ${PROJECT_BINARY_DIR}/debian/changelog)
install(FILES ${PROJECT_BINARY_DIR}/debian/copyright
              ${PROJECT_BINARY_DIR}/debian/changelog.gz
        DESTINATION ${CMAKE_INSTALL_DOCDIR})
