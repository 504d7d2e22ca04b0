#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <random>
#include <string>

#include "game/geometry.h"
#include "scene_driver.h"
#include "scene_invariants.h"
#include "util/format.h"

namespace ixo::reliability {
namespace {

long fromEnvironment(const char* name, long fallback) {
    const char* text = std::getenv(name);
    return text && *text ? std::strtol(text, nullptr, 10) : fallback;
}

// Plays like a restless pair of players: mostly clicks on squares, often on a highlighted one
// so that games move on, sometimes anywhere in or far outside the window, with the middle
// button and both buttons at once thrown in.
class RandomPlayer {
  public:
    explicit RandomPlayer(unsigned seed) : random_(seed) {}

    void nextFrame(const GameScene& scene, FakePointer& pointer) {
        if (chance(0.35)) {
            aim(scene, pointer);
        }
        Uint8 buttons = 0;
        buttons |= chance(0.45) ? SDL_BUTTON(SDL_BUTTON_LEFT) : 0;
        buttons |= chance(0.04) ? SDL_BUTTON(SDL_BUTTON_RIGHT) : 0;
        buttons |= chance(0.05) ? SDL_BUTTON(SDL_BUTTON_MIDDLE) : 0;
        pointer.buttons = buttons;
    }

  private:
    bool chance(double probability) {
        return std::uniform_real_distribution<double>(0.0, 1.0)(random_) < probability;
    }
    int between(int low, int high) {
        return std::uniform_int_distribution<int>(low, high)(random_);
    }

    void pointAtSquare(FakePointer& pointer, int column, int row) {
        pointer.x = squareLeft(column) + between(0, kSquareSize - 1);
        pointer.y = squareTop(row) + between(0, kSquareSize - 1);
    }

    void aim(const GameScene& scene, FakePointer& pointer) {
        const double kind = std::uniform_real_distribution<double>(0.0, 1.0)(random_);
        if (kind < 0.3 && scene.selected.piece != -1 && scene.moveMap.count() > 0) {
            // A highlighted square, turned from the mover's frame into screen rows.
            int index = 0;
            do {
                index = between(0, kSquareCount - 1);
            } while (scene.moveMap.marks[index] != 1);
            const int row = index / kBoardSize;
            pointAtSquare(pointer, index % kBoardSize,
                          scene.turn() != 0 ? kBoardSize - 1 - row : row);
        } else if (kind < 0.85) {
            pointAtSquare(pointer, between(0, kBoardSize - 1), between(0, kBoardSize - 1));
        } else if (kind < 0.97) {
            pointer.x = between(-300, 1100);
            pointer.y = between(-300, 900);
        } else {
            const int extremes[] = {std::numeric_limits<int>::min(),
                                    std::numeric_limits<int>::max(),
                                    -1,
                                    0,
                                    65535,
                                    -65536};
            pointer.x = extremes[between(0, 5)];
            pointer.y = extremes[between(0, 5)];
        }
    }

    std::mt19937 random_;
};

// Frames per game before the board is set up again: long enough for captures and promotions,
// short enough that play never stalls with one side left without pieces.
constexpr long kFramesPerGame = 4000;
// Blitting the real artwork costs a few milliseconds a frame, which would stretch a million
// frames into hours; drawing one frame in 64 still paints every state the play reaches.
constexpr long kFramesPerDraw = 64;

// IXO_SOAK_FRAMES sets the length (a million for the full soak); CI runs the short default.
TEST(Soak, RandomPlayKeepsEveryInvariantInEveryFrameAndMemoryFlat) {
    const long frames = fromEnvironment("IXO_SOAK_FRAMES", 20000);
    const auto seed = static_cast<unsigned>(fromEnvironment("IXO_SOAK_SEED", 20261207));

    ScratchDirectory directory;
    directory.linkImages(repositoryImages());
    FakePointer::install();
    FakePointer& pointer = FakePointer::instance();
    long moves = 0, captures = 0, selections = 0;
    long settledKilobytes = 0, lastKilobytes = 0;
    const long startKilobytes = residentKilobytes();
    {
        GameScene scene(SDL_GetVideoSurface());
        // With the real artwork every frame draws what a player sees and each portrait is
        // decoded at its first selection, which is where a leak would show.
        ASSERT_GT(scene.background.width(), 0) << "no pictures under " << repositoryImages();
        // Every portrait is decoded before memory is first measured: the scene keeps each one
        // it has shown, a bounded cost, so only growth beyond them can be a leak.
        for (const char* pattern : {"team/sample/1pcg/%02d.png", "team/sample/2pcg/%02d.png"}) {
            for (int code = 1; code <= 14; ++code) {
                scene.showPortrait(scene.pictureFolder + formatString(pattern, code));
            }
        }

        RandomPlayer player(seed);
        SceneInvariants invariants(scene);
        const long settleFrame = std::min(frames / 10, 10000L);
        for (long frame = 0; frame < frames; ++frame) {
            if (frame % kFramesPerGame == 0) {
                startNewGame(scene);
                invariants = SceneInvariants(scene);
            }
            player.nextFrame(scene, pointer);
            const int turn = scene.turn();
            const bool wasSelected = scene.selected.piece != -1;
            const int pieces = piecesOn(scene.board());

            ASSERT_EQ(scene.update(), "loop");
            if (frame % kFramesPerDraw == 0) {
                // Painted whether or not the position changed, so the blits are soaked too.
                scene.invalidate();
                ASSERT_TRUE(scene.draw());
            }
            const std::string broken = invariants.check(scene);
            ASSERT_TRUE(broken.empty()) << "frame " << frame << ": " << broken;

            moves += scene.turn() != turn ? 1 : 0;
            captures += piecesOn(scene.board()) < pieces ? 1 : 0;
            selections += !wasSelected && scene.selected.piece != -1 ? 1 : 0;
            if (frame == settleFrame) {
                settledKilobytes = residentKilobytes();
            }
        }
        lastKilobytes = residentKilobytes();
    }
    FakePointer::uninstall();

    std::printf("soak: %ld frames, %ld selections, %ld moves, %ld captures\n", frames, selections,
                moves, captures);
    std::printf("soak: resident KiB at start %ld, settled %ld, last %ld\n", startKilobytes,
                settledKilobytes, lastKilobytes);
    RecordProperty("firstKilobytes", std::to_string(settledKilobytes));
    RecordProperty("lastKilobytes", std::to_string(lastKilobytes));

    // The run must have played real games, or the invariants judged nothing worth judging.
    EXPECT_GT(moves, frames / 200);
    EXPECT_GT(captures, 0);
    // Portraits are kept once decoded, 28 at most; anything kept per selection would add up
    // over thousands of them.
    if (kResidentMemoryIsMeaningful) {
        EXPECT_LE(lastKilobytes - settledKilobytes, 1024);
    }
}

}  // namespace
}  // namespace ixo::reliability
