#include "app/data_folder.h"

#include <filesystem>
#include <system_error>

namespace ixo {

namespace fs = std::filesystem;

namespace {

constexpr const char* kWorkingFolder = "../";

// A few of the pictures the board is made of; one of them is enough to count as the game's.
bool holdsPictures(const fs::path& folder) {
    static const char* const kPictures[] = {"image/bg.jpg", "image/board.jpg", "image/hikari.png",
                                            "image/team/sample/1p/01.png"};
    for (const char* picture : kPictures) {
        std::error_code error;
        if (fs::is_regular_file(folder / picture, error)) {
            return true;
        }
    }
    return false;
}

}  // namespace

std::string findDataFolder(const std::string& executable) {
    if (holdsPictures(kWorkingFolder) || executable.empty()) {
        return kWorkingFolder;
    }
    const fs::path programFolder = fs::path(executable).parent_path();
    // A build tree, the plain install (P/libexec/ixo-shogi/ beside P/share/ixo-shogi/), and
    // Debian's games layout (/usr/lib/games/ixo-shogi/ beside /usr/share/games/ixo-shogi/).
    const fs::path candidates[] = {
        programFolder / "..", programFolder / ".." / ".." / "share" / "ixo-shogi",
        programFolder / ".." / ".." / ".." / "share" / "games" / "ixo-shogi"};
    // The executable's path has its links resolved already, so ".." may be taken lexically.
    for (const fs::path& candidate : candidates) {
        const fs::path folder = candidate.lexically_normal();
        if (holdsPictures(folder)) {
            return (folder / "").string();
        }
    }
    return kWorkingFolder;
}

std::string executablePath() {
    std::error_code error;
    const fs::path path = fs::read_symlink("/proc/self/exe", error);
    return error ? std::string() : path.string();
}

}  // namespace ixo
