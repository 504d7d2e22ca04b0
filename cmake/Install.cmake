# Installation and the Debian package.
#
# The game reads its pictures from ../image/ and its sounds from ../sound/ relative to its
# working directory, so what gets installed on the command path is a small launcher that
# changes into the installed picture folder (beside which the sound folder lies) and runs the
# real program from a private folder.
#
# Where things go is decided when installing, not when configuring, because
# `cmake --install build --prefix P` and CPack both choose the prefix at that moment:
#
#   prefix /usr (Debian's layout for games)   any other prefix P
#   /usr/games/ixo-shogi            launcher   P/bin/ixo-shogi
#   /usr/lib/games/ixo-shogi/       program    P/libexec/ixo-shogi/
#   /usr/share/games/ixo-shogi/     pictures   P/share/ixo-shogi/
#     (image/ and sound/)           and sounds
#
# The desktop entry and the icons go to share/applications and share/icons/hicolor in both.
include(GNUInstallDirs)

set(IXO_INSTALL_LAYOUT AUTO CACHE STRING
    "Install layout: AUTO (Debian's games layout when the prefix is /usr), GAMES or PLAIN")
set_property(CACHE IXO_INSTALL_LAYOUT PROPERTY STRINGS AUTO GAMES PLAIN)
if(NOT IXO_INSTALL_LAYOUT MATCHES "^(AUTO|GAMES|PLAIN)$")
    message(FATAL_ERROR "IXO_INSTALL_LAYOUT must be AUTO, GAMES or PLAIN, not ${IXO_INSTALL_LAYOUT}")
endif()

set(IXO_PACKAGING_DIR ${PROJECT_SOURCE_DIR}/packaging)
set(IXO_ICON_SIZES 16 22 24 32 48 64 128 256)
set(IXO_APPSTREAM_ID org.ixoshogi.ixo_shogi)

# Runs first in the install script: picks the layout for the prefix in force and writes the
# launcher with the paths from its own folder to the program and to the pictures.
install(CODE "
set(IXO_LAYOUT \"${IXO_INSTALL_LAYOUT}\")
set(IXO_PLAIN_BINDIR \"${CMAKE_INSTALL_BINDIR}\")
set(IXO_PLAIN_LIBEXECDIR \"${CMAKE_INSTALL_LIBEXECDIR}\")
set(IXO_PLAIN_DATADIR \"${CMAKE_INSTALL_DATAROOTDIR}\")
set(IXO_LAUNCHER_TEMPLATE \"${IXO_PACKAGING_DIR}/launcher.sh.in\")
set(IXO_LAUNCHER_OUTPUT \"${CMAKE_CURRENT_BINARY_DIR}/ixo-shogi.launcher\")
")
install(CODE [[
string(REGEX REPLACE "(.)/+$" "\\1" ixo_prefix "${CMAKE_INSTALL_PREFIX}")
if(IXO_LAYOUT STREQUAL "GAMES" OR (IXO_LAYOUT STREQUAL "AUTO" AND ixo_prefix STREQUAL "/usr"))
    set(IXO_INSTALL_BINDIR games)
    set(IXO_INSTALL_PROGRAMDIR lib/games/ixo-shogi)
    set(IXO_INSTALL_PICTUREDIR share/games/ixo-shogi/image)
    set(IXO_INSTALL_SOUNDDIR share/games/ixo-shogi/sound)
    set(IXO_INSTALL_VARIANTDIR share/games/ixo-shogi/variants)
else()
    set(IXO_INSTALL_BINDIR "${IXO_PLAIN_BINDIR}")
    set(IXO_INSTALL_PROGRAMDIR "${IXO_PLAIN_LIBEXECDIR}/ixo-shogi")
    set(IXO_INSTALL_PICTUREDIR "${IXO_PLAIN_DATADIR}/ixo-shogi/image")
    set(IXO_INSTALL_SOUNDDIR "${IXO_PLAIN_DATADIR}/ixo-shogi/sound")
    set(IXO_INSTALL_VARIANTDIR "${IXO_PLAIN_DATADIR}/ixo-shogi/variants")
endif()
# Any prefix stands in for the real one: only the relative paths between the folders count.
file(RELATIVE_PATH IXO_LAUNCHER_TO_PROGRAM "/prefix/${IXO_INSTALL_BINDIR}"
     "/prefix/${IXO_INSTALL_PROGRAMDIR}/ixo-shogi")
file(RELATIVE_PATH IXO_LAUNCHER_TO_PICTURES "/prefix/${IXO_INSTALL_BINDIR}"
     "/prefix/${IXO_INSTALL_PICTUREDIR}")
configure_file("${IXO_LAUNCHER_TEMPLATE}" "${IXO_LAUNCHER_OUTPUT}" @ONLY)
]])

install(TARGETS ixo-shogi RUNTIME DESTINATION "\${IXO_INSTALL_PROGRAMDIR}")
# A stripping install (CPack's, or `cmake --install --strip`) also drops the compiler's
# .comment and .note sections, which nothing reads at run time, as Debian's own tools do.
install(CODE "
if(CMAKE_INSTALL_DO_STRIP)
    execute_process(COMMAND \"${CMAKE_STRIP}\" --remove-section=.comment --remove-section=.note
                            \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/\${IXO_INSTALL_PROGRAMDIR}/ixo-shogi\"
                    COMMAND_ERROR_IS_FATAL ANY)
endif()
")
install(PROGRAMS ${CMAKE_CURRENT_BINARY_DIR}/ixo-shogi.launcher
        DESTINATION "\${IXO_INSTALL_BINDIR}" RENAME ixo-shogi)
# Only the pictures themselves: image/ may also hold notes or sources of the artwork.
install(DIRECTORY ${PROJECT_SOURCE_DIR}/image/ DESTINATION "\${IXO_INSTALL_PICTUREDIR}"
        FILES_MATCHING PATTERN "*.png" PATTERN "*.jpg")
# Beside the pictures, so that the game, started inside the picture folder, finds ../sound/.
install(DIRECTORY ${PROJECT_SOURCE_DIR}/sound/ DESTINATION "\${IXO_INSTALL_SOUNDDIR}"
        FILES_MATCHING PATTERN "*.wav")
# The simple rules' definition for the engine, found as ../variants/ in the same way.
install(DIRECTORY ${PROJECT_SOURCE_DIR}/variants/ DESTINATION "\${IXO_INSTALL_VARIANTDIR}"
        FILES_MATCHING PATTERN "*.ini")
install(FILES ${IXO_PACKAGING_DIR}/ixo-shogi.desktop
        DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/applications)
install(FILES ${IXO_PACKAGING_DIR}/${IXO_APPSTREAM_ID}.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/metainfo)
foreach(size ${IXO_ICON_SIZES})
    set(icon ${IXO_PACKAGING_DIR}/icons/${size}x${size}/ixo-shogi.png)
    if(EXISTS ${icon})
        install(FILES ${icon}
                DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/icons/hicolor/${size}x${size}/apps)
    endif()
endforeach()

# The documents a distribution expects beside the program. Manual pages and the changelog
# are installed compressed, the way Debian's tools would have left them; -n keeps the file
# name and time stamp out of the archive, so rebuilding yields the same bytes.
configure_file(${IXO_PACKAGING_DIR}/ixo-shogi.6.in ${CMAKE_CURRENT_BINARY_DIR}/ixo-shogi.6 @ONLY)
find_program(IXO_GZIP gzip REQUIRED)
set(IXO_COMPRESSED_DOCS "")
function(ixo_compress source name)
    set(plain ${CMAKE_CURRENT_BINARY_DIR}/compressed/${name})
    add_custom_command(
        OUTPUT ${plain}.gz
        COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_CURRENT_BINARY_DIR}/compressed
        COMMAND ${CMAKE_COMMAND} -E copy ${source} ${plain}
        COMMAND ${IXO_GZIP} -9nf ${plain}
        DEPENDS ${source}
        VERBATIM)
    set(IXO_COMPRESSED_DOCS ${IXO_COMPRESSED_DOCS} ${plain}.gz PARENT_SCOPE)
endfunction()
ixo_compress(${CMAKE_CURRENT_BINARY_DIR}/ixo-shogi.6 ixo-shogi.6)
ixo_compress(${IXO_PACKAGING_DIR}/changelog changelog)
add_custom_target(ixo_compressed_docs ALL DEPENDS ${IXO_COMPRESSED_DOCS})
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/compressed/ixo-shogi.6.gz
        DESTINATION ${CMAKE_INSTALL_MANDIR}/man6)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/compressed/changelog.gz
              ${IXO_PACKAGING_DIR}/copyright
        DESTINATION ${CMAKE_INSTALL_DOCDIR})

# The changelog and the AppStream releases name the version too; a release that forgets
# one of them would ship a package that contradicts itself.
file(STRINGS ${IXO_PACKAGING_DIR}/changelog ixo_changelog_top LIMIT_COUNT 1)
file(STRINGS ${IXO_PACKAGING_DIR}/${IXO_APPSTREAM_ID}.metainfo.xml ixo_newest_release
     REGEX "<release " LIMIT_COUNT 1)
if(NOT ixo_changelog_top MATCHES "^ixo-shogi \\(${PROJECT_VERSION}\\) " OR
   NOT ixo_newest_release MATCHES "version=\"${PROJECT_VERSION}\"")
    message(WARNING "packaging/changelog or the AppStream file does not begin with version "
                    "${PROJECT_VERSION}: add an entry to each")
endif()

# A quick check that needs no display and touches nothing outside the build folder: install
# into temporary prefixes of both layouts and start the launcher with a stand-in program.
if(BUILD_TESTING)
    add_test(NAME packaging.install_layout
             COMMAND sh ${PROJECT_SOURCE_DIR}/tests/packaging/install_layout.sh
                     ${CMAKE_BINARY_DIR} ${CMAKE_CURRENT_BINARY_DIR}/install-layout-test)
endif()

# The Debian package.
set(IXO_PACKAGE_MAINTAINER "Ixo Shogi developers <ixo-shogi@users.noreply.invalid>" CACHE STRING
    "Maintainer written into the Debian package")
set(CPACK_PACKAGE_NAME ixo-shogi)
set(CPACK_PACKAGE_VENDOR "Ixo Shogi developers")
set(CPACK_PACKAGE_CONTACT "${IXO_PACKAGE_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "hot-seat shogi (Japanese chess) for two players")
# CPack keeps these line breaks; Debian wants the lines of a description under 80 columns.
set(CPACK_PACKAGE_DESCRIPTION
    "Ixo Shogi is a shogi (Japanese chess) board for two people who share one
computer and one mouse and take turns at it: a hot-seat game. Blue moves first
from the bottom, Red answers from the top; select a piece with a left click,
see where it may go, click a lit square to move there.

Every piece moves by the rules of shogi and promotion is forced. Captured
pieces leave the game for good: there are no pieces in hand and no drops.
Nothing tests for check or checkmate. The standard rules, with drops, check
and mate, are a choice. A USI engine (fairy-stockfish, or any other) can play
one side and give hints. Moves can be taken back and replayed, and every game
is kept as a KIF record that other shogi programs can read.")
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The dependencies are worked out when the package is made (see the project config file):
# the C and C++ runtimes from the program itself, SDL 1.2 as either of its two flavours.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS OFF)
# The computer opponent and the hints run a USI engine; the game is whole without one.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fairy-stockfish")
file(GENERATE OUTPUT ${CMAKE_CURRENT_BINARY_DIR}/IxoCPackProjectConfig.cmake
     CONTENT "set(IXO_PACKAGED_PROGRAM \"$<TARGET_FILE:ixo-shogi>\")
include(\"${IXO_PACKAGING_DIR}/debian-depends.cmake\")
")
set(CPACK_PROJECT_CONFIG_FILE ${CMAKE_CURRENT_BINARY_DIR}/IxoCPackProjectConfig.cmake)
set(CPACK_GENERATOR DEB)
set(CPACK_SOURCE_GENERATOR TGZ)
set(CPACK_SOURCE_IGNORE_FILES "/\\\\.git/" "/build[^/]*/" "/out/" "/fuzz-corpus/")
include(CPack)
