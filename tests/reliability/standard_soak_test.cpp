#include <gtest/gtest.h>

#include <cstdio>
#include <random>
#include <string>

#include "game/geometry.h"
#include "scene_driver.h"

namespace ixo::reliability {
namespace {

// What must hold after every frame of a standard game, whatever was clicked or pressed: the
// drawing reads `board` and `turn`, so they must be the standard game's; a selection must be
// a piece the side to move has, lit exactly where the rules allow; no piece is ever lost.
std::string brokenStandardInvariant(const GameScene& scene) {
    const Position& position = scene.standard.position();
    if (scene.board != position.board || scene.turn != position.sideToMove) {
        return "the board or turn drawn is not the standard game's";
    }
    int pieces = 0;
    for (const Cell& cell : position.board.cells) {
        pieces += cell.piece != Empty ? 1 : 0;
    }
    for (const Hand& hand : position.hands) {
        for (const std::uint8_t held : hand) {
            pieces += held;
        }
    }
    if (pieces != 40) {
        return "the board and hands hold " + std::to_string(pieces) + " pieces";
    }
    if (scene.selected.piece == -1) {
        return scene.choosingPromotion ? "a promotion is asked with nothing selected" : "";
    }
    if (scene.standard.outcome().over()) {
        return "a piece is selected after the end of the game";
    }
    const int side = position.sideToMove;
    if (scene.selected.column < 0) {
        if (scene.selected.owner != side || position.hands[side][scene.selected.piece] == 0) {
            return "a piece picked from a hand that does not hold it";
        }
        if (!scene.choosingPromotion &&
            scene.moveMap != legalDrops(position, scene.selected.piece)) {
            return "the drops lit are not the legal ones";
        }
        return "";
    }
    const Cell cell = position.board.cellAt(scene.selected.column, scene.selected.row);
    if (cell != scene.selected || cell.owner != side) {
        return "the selection is not a piece of the side to move where it stands";
    }
    if (scene.choosingPromotion) {
        const MoveRequest& asked = scene.pendingMove;
        return promotionFor(position, asked.fromColumn, asked.fromRow, asked.toColumn,
                            asked.toRow) == Promotion::Optional
                   ? ""
                   : "a promotion is asked where it is not a choice";
    }
    return scene.moveMap == legalDestinations(position, cell.column, cell.row)
               ? ""
               : "the squares lit are not the legal ones";
}

TEST(Soak, RandomStandardPlayKeepsTheGameAndWhatIsShownInStep) {
    ScratchDirectory directory;
    directory.linkImages(repositoryImages());
    FakePointer::install();
    FakePointer& pointer = FakePointer::instance();
    std::mt19937 random(20261208);
    auto between = [&](int low, int high) {
        return std::uniform_int_distribution<int>(low, high)(random);
    };
    static const Uint8 noKeysHeld[SDLK_LAST] = {};
    static const SDLKey keys[] = {SDLK_u, SDLK_BACKSPACE, SDLK_r, SDLK_n, SDLK_g, SDLK_d};
    long moves = 0, drops = 0, endings = 0;
    {
        GameScene scene(SDL_GetVideoSurface());
        scene.resumeStandard(StandardGame{});
        std::size_t ply = 0;
        for (long frame = 0; frame < 30000; ++frame) {
            const int aim = between(0, 99);
            if (aim < 30 && scene.moveMap.count() > 0) {
                int index = 0;
                do {
                    index = between(0, kSquareCount - 1);
                } while (scene.moveMap.marks[index] != 1);
                pointer.x = squareLeft(index % kBoardSize) + between(0, kSquareSize - 1);
                pointer.y = squareTop(index / kBoardSize) + between(0, kSquareSize - 1);
            } else if (aim < 45) {
                const Box slot = handSlot(between(0, 1), between(0, kHandKindCount - 1));
                pointer.x = slot.left + between(0, slot.width - 1);
                pointer.y = slot.top + between(0, slot.height - 1);
            } else if (aim < 55 && scene.choosingPromotion) {
                const Box choice =
                    promotionChoice(scene.pendingMove.toColumn, scene.pendingMove.toRow);
                pointer.x = choice.left + between(0, choice.width - 1);
                pointer.y = choice.top + between(0, choice.height - 1);
            } else if (aim < 95) {
                pointer.x = between(-20, 820);
                pointer.y = between(-20, 620);
            }
            pointer.buttons = between(0, 99) < 45 ? SDL_BUTTON(SDL_BUTTON_LEFT) : 0;
            pointer.buttons |= between(0, 99) < 3 ? SDL_BUTTON(SDL_BUTTON_RIGHT) : 0;
            if (between(0, 99) < 2) {
                Keyboard::instance().noteKeyDown(keys[between(0, 5)]);
            }
            Keyboard::instance().refreshFrom(noKeysHeld);
            const bool over = scene.standard.outcome().over();
            ASSERT_EQ(scene.update(), "loop");
            if (frame % 64 == 0) {
                scene.invalidate();
                ASSERT_TRUE(scene.draw());
            }
            const std::string broken = brokenStandardInvariant(scene);
            ASSERT_TRUE(broken.empty()) << "frame " << frame << ": " << broken;
            if (scene.standard.ply() == ply + 1) {
                ++moves;
                drops += scene.standard.played().back().dropped ? 1 : 0;
            }
            endings += !over && scene.standard.outcome().over() ? 1 : 0;
            ply = scene.standard.ply();
        }
    }
    FakePointer::uninstall();
    std::printf("standard soak: %ld moves, %ld drops, %ld endings\n", moves, drops, endings);
    // Random play must reach what is worth judging: moves, drops and endings.
    EXPECT_GT(moves, 100);
    EXPECT_GT(drops, 0);
    EXPECT_GT(endings, 0);
}

}  // namespace
}  // namespace ixo::reliability
