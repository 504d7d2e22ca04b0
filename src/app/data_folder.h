#pragma once

#include <string>

namespace ixo {

// The folder that holds the game's image/ and sound/ folders, ending in a slash.
//
// The game has always read them from ../ as seen from the folder it was started in, and it
// still does whenever that ../image/ holds any of its pictures. Otherwise it takes the folder
// that belongs to the executable itself, so that `./build/ixo-shogi` from the repository's
// root, or the installed program started directly, still finds them: the executable's
// parent for a build tree (the repository, when the build folder is in it), the installed
// share folder of either install layout. When none of them has the pictures, "../" is kept,
// so the messages name the place the game is meant to be started from.
std::string findDataFolder(const std::string& executable);

// This process's executable, or empty when the system does not say.
std::string executablePath();

}  // namespace ixo
