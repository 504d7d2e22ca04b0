# SDL 1.2, SDL_image 1.2, SDL_mixer 1.2 and SDL_ttf 2.0, as the imported targets Ixo::SDL,
# Ixo::SDL_image, Ixo::SDL_mixer and Ixo::SDL_ttf. pkg-config comes first because both the
# classic library and the sdl12-compat layer ship sdl.pc, and its include folder is the one
# that makes "SDL.h" work on every platform; CMake's own modules are the fallback where
# there is no pkg-config.
find_package(PkgConfig QUIET)
if(PKG_CONFIG_FOUND)
    pkg_check_modules(IXO_SDL QUIET IMPORTED_TARGET sdl)
    pkg_check_modules(IXO_SDL_IMAGE QUIET IMPORTED_TARGET SDL_image)
    pkg_check_modules(IXO_SDL_MIXER QUIET IMPORTED_TARGET SDL_mixer)
    pkg_check_modules(IXO_SDL_TTF QUIET IMPORTED_TARGET SDL_ttf)
    # Where the Japanese font is; fontconfig is only ever found through pkg-config.
    pkg_check_modules(IXO_FONTCONFIG REQUIRED IMPORTED_TARGET fontconfig)
endif()

function(ixo_alias_or_module target pkgtarget module incvar libvar)
    add_library(${target} INTERFACE IMPORTED)
    if(TARGET ${pkgtarget})
        set_target_properties(${target} PROPERTIES INTERFACE_LINK_LIBRARIES ${pkgtarget})
    else()
        find_package(${module} REQUIRED)
        set_target_properties(${target} PROPERTIES
            INTERFACE_INCLUDE_DIRECTORIES "${${incvar}}"
            INTERFACE_LINK_LIBRARIES "${${libvar}}")
    endif()
endfunction()

ixo_alias_or_module(Ixo::SDL PkgConfig::IXO_SDL SDL SDL_INCLUDE_DIR SDL_LIBRARY)
ixo_alias_or_module(Ixo::SDL_image PkgConfig::IXO_SDL_IMAGE SDL_image
                    SDL_IMAGE_INCLUDE_DIRS SDL_IMAGE_LIBRARIES)
ixo_alias_or_module(Ixo::SDL_mixer PkgConfig::IXO_SDL_MIXER SDL_mixer
                    SDL_MIXER_INCLUDE_DIRS SDL_MIXER_LIBRARIES)
ixo_alias_or_module(Ixo::SDL_ttf PkgConfig::IXO_SDL_TTF SDL_ttf
                    SDL_TTF_INCLUDE_DIRS SDL_TTF_LIBRARIES)
