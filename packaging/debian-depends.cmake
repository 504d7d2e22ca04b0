# Read by CPack before it makes a package; sets the Debian package's dependencies.
#
# dpkg-shlibdeps knows the right minimum versions of the C and C++ runtimes and of
# SDL_image and SDL_mixer, but it would name the SDL 1.2 package that the program happened to
# be built against, and so refuse the other flavour. SDL 1.2 is therefore left out of its
# answer and added back as a choice: the classic library, or the sdl12-compat layer through
# the package that puts it where the classic one would be.
if(NOT CPACK_GENERATOR STREQUAL "DEB")
    return()
endif()

set(ixo_sdl_choice "libsdl1.2debian (>= 1.2.15) | libsdl1.2-compat-shim")
# Records are written in Japanese; the outline text finds a font for them through fontconfig,
# which has none to offer unless one of these is installed. No library names them, so
# dpkg-shlibdeps cannot.
set(ixo_font_choice "fonts-ipafont-gothic | fonts-noto-cjk")
# What the program needs when dpkg-shlibdeps cannot be asked (no dpkg-dev): the versions of
# Debian 12, the oldest release the package is built for.
set(ixo_fallback_depends
    "libc6 (>= 2.34), libgcc-s1 (>= 3.0), libstdc++6 (>= 11), libsdl-image1.2 (>= 1.2.10), libsdl-mixer1.2 (>= 1.2.12), libsdl-ttf2.0-0 (>= 2.0.11), libfontconfig1 (>= 2.12.6), libx11-6")

set(ixo_shlibs "")
find_program(IXO_DPKG_SHLIBDEPS dpkg-shlibdeps)
if(IXO_DPKG_SHLIBDEPS AND EXISTS "${IXO_PACKAGED_PROGRAM}")
    # dpkg-shlibdeps insists on running beside a debian/control file.
    set(ixo_work "${CPACK_TOPLEVEL_DIRECTORY}/ixo-shlibdeps")
    file(MAKE_DIRECTORY "${ixo_work}/debian")
    file(WRITE "${ixo_work}/debian/control" "Source: ixo-shogi\n\nPackage: ixo-shogi\nArchitecture: any\n")
    # A build against a private copy of SDL (as the sdl12-compat check makes) finds a
    # library that no package owns; it is left out below anyway.
    execute_process(
        COMMAND "${IXO_DPKG_SHLIBDEPS}" --ignore-missing-info -O "-e${IXO_PACKAGED_PROGRAM}"
        WORKING_DIRECTORY "${ixo_work}"
        RESULT_VARIABLE ixo_result
        OUTPUT_VARIABLE ixo_output
        ERROR_VARIABLE ixo_errors)
    file(REMOVE_RECURSE "${ixo_work}")
    if(ixo_result EQUAL 0 AND ixo_output MATCHES "shlibs:Depends=([^\n]*)")
        set(ixo_shlibs "${CMAKE_MATCH_1}")
    else()
        message(WARNING "dpkg-shlibdeps failed (${ixo_errors}); using fixed dependencies")
    endif()
endif()

if(ixo_shlibs STREQUAL "")
    set(CPACK_DEBIAN_PACKAGE_DEPENDS "${ixo_sdl_choice}, ${ixo_fallback_depends}, ${ixo_font_choice}")
else()
    string(REPLACE ", " ";" ixo_entries "${ixo_shlibs}")
    set(ixo_depends "${ixo_sdl_choice}")
    foreach(ixo_entry IN LISTS ixo_entries)
        # Any entry that mentions an SDL 1.2 core package, alone or among alternatives.
        if(NOT ixo_entry MATCHES "(^|[ |])libsdl1\\.2")
            string(APPEND ixo_depends ", ${ixo_entry}")
        endif()
    endforeach()
    set(CPACK_DEBIAN_PACKAGE_DEPENDS "${ixo_depends}, ${ixo_font_choice}")
endif()
message(STATUS "Debian package depends on: ${CPACK_DEBIAN_PACKAGE_DEPENDS}")
