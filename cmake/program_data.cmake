# What each program carries besides its code, from data/: a manual page on Linux, a manifest, icon
# and version information on Windows.

# The manual page PAGE(1), compressed as distributions ship them, installed with the program.
function(add_manual_page page)
  set(source ${PROJECT_SOURCE_DIR}/data/man/${page}.1.in)
  set(built ${CMAKE_CURRENT_BINARY_DIR}/${page}.1)
  configure_file(${source} ${built} @ONLY)
  add_custom_command(OUTPUT ${built}.gz
                     COMMAND gzip -9 -n -f -k ${built}
                     DEPENDS ${built})
  add_custom_target(${page}_manual_page ALL DEPENDS ${built}.gz)
  install(FILES ${built}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endfunction()

# The Windows program PROGRAM's manifest, icon and version information, described as DESCRIPTION.
function(add_windows_resources program description)
  set(PROGRAM ${program})
  set(DESCRIPTION ${description})
  set(VERSION_QUAD ${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}.${PROJECT_VERSION_PATCH}.0)
  string(REPLACE "." "," VERSION_COMMAS ${VERSION_QUAD})
  set(ICON ${PROJECT_SOURCE_DIR}/data/icons/aspclip.ico)
  set(templates ${PROJECT_SOURCE_DIR}/data/windows)
  configure_file(${templates}/program.manifest.in ${CMAKE_CURRENT_BINARY_DIR}/${program}.manifest
                 @ONLY)
  configure_file(${templates}/program.rc.in ${CMAKE_CURRENT_BINARY_DIR}/${program}.rc @ONLY)
  target_sources(${program} PRIVATE ${CMAKE_CURRENT_BINARY_DIR}/${program}.rc)
  # Static so that the programs run on a bare Windows with no runtime DLLs beside them.
  target_link_options(${program} PRIVATE -static -s)
endfunction()
