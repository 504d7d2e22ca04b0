# The distribution's hardening flags: stack protector, _FORTIFY_SOURCE, RELRO with BIND_NOW
# and a position-independent executable. They come from dpkg-buildflags where it exists, so
# a newer release's additions are picked up by themselves, and from a fixed set elsewhere.
#
# Left out of the sanitizer and fuzzer builds: those are never shipped, and _FORTIFY_SOURCE
# would route string functions around AddressSanitizer's checks.
option(IXO_HARDENING "Build with the distribution's hardening flags" ON)

if(NOT IXO_HARDENING)
    return()
endif()
if(IXO_SANITIZE OR IXO_FUZZ)
    message(STATUS "Hardening flags left out of the sanitizer and fuzzer build")
    return()
endif()

include(CheckPIESupported)
check_pie_supported(LANGUAGES CXX)
set(CMAKE_POSITION_INDEPENDENT_CODE ON)

find_program(IXO_DPKG_BUILDFLAGS dpkg-buildflags)
set(ixo_hardening_source "a fixed set (no dpkg-buildflags)")
set(ixo_cppflags -D_FORTIFY_SOURCE=2)
set(ixo_cxxflags -fstack-protector-strong -Wformat -Werror=format-security)
set(ixo_ldflags -Wl,-z,relro -Wl,-z,now)
if(IXO_DPKG_BUILDFLAGS)
    set(ixo_flags_ok TRUE)
    foreach(kind CPPFLAGS CXXFLAGS LDFLAGS)
        # Only the hardening: the build type chooses optimisation and debug information.
        execute_process(
            COMMAND ${CMAKE_COMMAND} -E env "DEB_BUILD_MAINT_OPTIONS=hardening=+all reproducible=-all"
                    ${IXO_DPKG_BUILDFLAGS} --get ${kind}
            OUTPUT_VARIABLE ixo_flags
            RESULT_VARIABLE ixo_result
            OUTPUT_STRIP_TRAILING_WHITESPACE)
        if(NOT ixo_result EQUAL 0)
            set(ixo_flags_ok FALSE)
            break()
        endif()
        separate_arguments(ixo_flags UNIX_COMMAND "${ixo_flags}")
        list(FILTER ixo_flags EXCLUDE REGEX "^-(O.*|g.*)$")
        string(TOLOWER ${kind} kind)
        set(ixo_${kind}_from_dpkg ${ixo_flags})
    endforeach()
    if(ixo_flags_ok)
        set(ixo_hardening_source "dpkg-buildflags")
        set(ixo_cppflags ${ixo_cppflags_from_dpkg})
        set(ixo_cxxflags ${ixo_cxxflags_from_dpkg})
        set(ixo_ldflags ${ixo_ldflags_from_dpkg})
    endif()
endif()

# Newer releases' dpkg-buildflags add these two as well, and hardening-check asks for them
# already; each only where the compiler knows it (-fcf-protection is for x86 alone).
include(CheckCXXCompilerFlag)
foreach(flag -fstack-clash-protection -fcf-protection)
    string(MAKE_C_IDENTIFIER "IXO_HAS${flag}" ixo_known)
    check_cxx_compiler_flag(${flag} ${ixo_known})
    if(${ixo_known} AND NOT flag IN_LIST ixo_cxxflags)
        list(APPEND ixo_cxxflags ${flag})
    endif()
endforeach()

# glibc warns that _FORTIFY_SOURCE does nothing without optimisation, so a Debug build goes
# without it rather than with a warning in every file.
foreach(flag IN LISTS ixo_cppflags)
    if(flag MATCHES "^-D_FORTIFY_SOURCE")
        add_compile_options($<$<NOT:$<CONFIG:Debug>>:${flag}>)
    else()
        add_compile_options(${flag})
    endif()
endforeach()
add_compile_options(${ixo_cxxflags})
add_link_options(${ixo_ldflags})
list(JOIN ixo_cppflags " " ixo_shown)
foreach(flag IN LISTS ixo_cxxflags ixo_ldflags)
    string(APPEND ixo_shown " ${flag}")
endforeach()
message(STATUS "Hardening flags from ${ixo_hardening_source}: ${ixo_shown}")
