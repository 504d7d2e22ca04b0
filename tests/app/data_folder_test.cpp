#include <gtest/gtest.h>

#include <unistd.h>
#include <filesystem>
#include <fstream>
#include <string>

#include "app/data_folder.h"
#include "app/presenter.h"

namespace ixo {
namespace {

namespace fs = std::filesystem;

// Started where ../image/ holds nothing, the game takes the pictures that belong to its
// executable: beside a build tree or in either install layout.
TEST(DataFolder, FallsBackToTheExecutablesOwnFolderOnlyWhenTheWorkingOneHasNoPictures) {
    const fs::path root =
        fs::temp_directory_path() / ("ixo-data-folder-" + std::to_string(getpid()));
    fs::remove_all(root);
    const auto touch = [](const fs::path& file) {
        fs::create_directories(file.parent_path());
        std::ofstream(file) << "x";
    };
    touch(root / "tree/image/bg.jpg");
    touch(root / "plain/share/ixo-shogi/image/board.jpg");
    touch(root / "games/share/games/ixo-shogi/image/hikari.png");
    touch(root / "work/image/team/sample/1p/01.png");
    fs::create_directories(root / "elsewhere/run");
    fs::create_directories(root / "work/run");
    const fs::path before = fs::current_path();

    fs::current_path(root / "elsewhere/run");
    EXPECT_EQ(findDataFolder((root / "tree/build/ixo-shogi").string()), (root / "tree/").string());
    EXPECT_EQ(findDataFolder((root / "plain/libexec/ixo-shogi/ixo-shogi").string()),
              (root / "plain/share/ixo-shogi/").string());
    EXPECT_EQ(findDataFolder((root / "games/lib/games/ixo-shogi/ixo-shogi").string()),
              (root / "games/share/games/ixo-shogi/").string());
    EXPECT_EQ(findDataFolder((root / "nowhere/ixo-shogi").string()), "../");
    EXPECT_EQ(findDataFolder(""), "../");
    fs::current_path(root / "work/run");
    EXPECT_EQ(findDataFolder((root / "tree/build/ixo-shogi").string()), "../");

    fs::current_path(before);
    fs::remove_all(root);
}

TEST(FittingScale, IsTheLargestWholeScaleUpToFourThatFitsAndOneWhenNoneDoes) {
    EXPECT_EQ(fittingScale(800, 600, 2560, 1600), 2);
    EXPECT_EQ(fittingScale(800, 600, 3840, 2160), 3);
    EXPECT_EQ(fittingScale(800, 600, 7680, 4320), 4);
    EXPECT_EQ(fittingScale(800, 600, 1600, 1199), 1);
    EXPECT_EQ(fittingScale(800, 600, 0, 0), 1);
}

}  // namespace
}  // namespace ixo
