# Installation and the Debian package. Included by the top-level
# CMakeLists.txt after the oru target.
#
#   cmake --install BUILD_DIR        the program, examples, type declarations,
#                                    README and manual page under CMAKE_INSTALL_PREFIX (DESTDIR
#                                    honoured); the files installed are listed
#                                    in BUILD_DIR/install_manifest.txt
#   cpack -G DEB (in BUILD_DIR)      oru_<version>-<revision>_<arch>.deb, with the same
#                                    files under CMAKE_INSTALL_PREFIX (/usr for
#                                    a package); its dependencies are worked out
#                                    from the binary by dpkg-shlibdeps

include(GNUInstallDirs)

set(ORU_EXAMPLES_DIR ${CMAKE_INSTALL_DATADIR}/oru/examples)
set(ORU_DOC_DIR ${CMAKE_INSTALL_DATADIR}/doc/oru)

install(TARGETS oru RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(DIRECTORY examples/ DESTINATION ${ORU_EXAMPLES_DIR})
# The default demo joins the examples, so that `oru` in their folder runs it:
# there it finds the stroke font in lib/, not in examples/lib/.
file(READ main.js ORU_DEMO)
string(REPLACE "examples/lib/" "lib/" ORU_DEMO "${ORU_DEMO}")
file(CONFIGURE OUTPUT ${CMAKE_CURRENT_BINARY_DIR}/examples/main.js CONTENT "${ORU_DEMO}" @ONLY)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS main.js)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/examples/main.js DESTINATION ${ORU_EXAMPLES_DIR})
# The scripts' type declarations for editors, the same that `oru --new` puts
# into a new game.
install(FILES templates/new-game/oru.d.ts DESTINATION ${CMAKE_INSTALL_DATADIR}/oru)
install(FILES README.md DESTINATION ${ORU_DOC_DIR})
# Debian's copyright file (machine-readable, the licence of LICENSE) and the
# package's changelog, compressed as Debian keeps it.
install(FILES packaging/copyright DESTINATION ${ORU_DOC_DIR})
add_custom_command(OUTPUT ${CMAKE_CURRENT_BINARY_DIR}/changelog.Debian.gz
  COMMAND gzip -9n -c ${PROJECT_SOURCE_DIR}/packaging/changelog >
    ${CMAKE_CURRENT_BINARY_DIR}/changelog.Debian.gz
  DEPENDS ${PROJECT_SOURCE_DIR}/packaging/changelog
  COMMENT "Compressing the Debian changelog")
add_custom_target(changelog ALL DEPENDS ${CMAKE_CURRENT_BINARY_DIR}/changelog.Debian.gz)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/changelog.Debian.gz DESTINATION ${ORU_DOC_DIR})
# The README's pictures, where its links find them.
install(DIRECTORY docs/ DESTINATION ${ORU_DOC_DIR}/docs FILES_MATCHING PATTERN "*.png")

# The manual page is packaging/oru.1 itself, readable in the source tree. It
# names the package's folders under /usr/share; the installed copy names this
# prefix's data folder instead (/usr/local/share for `make install`). The
# page's version is the project's: the install test fails when they differ.
file(READ packaging/oru.1 ORU_MANUAL)
if(NOT CMAKE_INSTALL_FULL_DATADIR STREQUAL "/usr/share")
  string(REPLACE "/usr/share/" "${CMAKE_INSTALL_FULL_DATADIR}/" ORU_MANUAL "${ORU_MANUAL}")
endif()
# Written only when it changes, so that configuring again rebuilds nothing.
set(ORU_MANUAL_BUILT "")
if(EXISTS ${CMAKE_CURRENT_BINARY_DIR}/oru.1)
  file(READ ${CMAKE_CURRENT_BINARY_DIR}/oru.1 ORU_MANUAL_BUILT)
endif()
if(NOT ORU_MANUAL STREQUAL ORU_MANUAL_BUILT)
  file(WRITE ${CMAKE_CURRENT_BINARY_DIR}/oru.1 "${ORU_MANUAL}")
endif()
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS packaging/oru.1)
# Compressed, as Debian keeps manual pages; -n leaves the date out of the file.
add_custom_command(OUTPUT ${CMAKE_CURRENT_BINARY_DIR}/oru.1.gz
  COMMAND gzip -9nkf ${CMAKE_CURRENT_BINARY_DIR}/oru.1
  DEPENDS ${CMAKE_CURRENT_BINARY_DIR}/oru.1
  COMMENT "Compressing the manual page")
add_custom_target(manual ALL DEPENDS ${CMAKE_CURRENT_BINARY_DIR}/oru.1.gz)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/oru.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

set(ORU_EXAMPLES_FULL_DIR ${CMAKE_INSTALL_FULL_DATADIR}/oru/examples)
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME oru)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
# The Debian revision: the package is oru_<version>-<revision>, and the top
# entry of packaging/changelog names that version.
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_PACKAGING_INSTALL_PREFIX ${CMAKE_INSTALL_PREFIX})
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_CONTACT "oru maintainers <maintainers@users.noreply.c-seed-e6453180.example>")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
# It runs games, but is no game itself (those live in /usr/games).
set(CPACK_DEBIAN_PACKAGE_SECTION interpreters)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# CPack indents the lines after the first and turns the empty one into " .".
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
  "runner for small JavaScript games drawn in glowing strokes
oru runs small games and animations written in JavaScript and draws
everything they show as soft, glowing strokes of light in an OpenGL
window. A script opens the window, runs its own game loop, draws lines
and points, and reads the cursor keys, space, Escape, Return and the
clock through 21 global functions.

Examples, among them a small asteroids game, are installed in
${ORU_EXAMPLES_FULL_DIR}.")
include(CPack)
