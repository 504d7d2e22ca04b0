// A seeded game that never ends, played through the game scene with its record keeper: moves,
// take-backs and replays as fast as the rules and the disk allow, so that a kill from outside
// lands inside a record write as often as between two. The same program checks afterwards
// that a record left behind is one of the positions the game went through.
//
//   record_writer play FOLDER SEED    plays, writing the record in FOLDER, until killed
//   record_writer check RECORD SEED   exit 0 if RECORD holds the moves of a position shown
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <random>
#include <string>

#include "../../reliability/scene_driver.h"
#include "match/record_keeper.h"
#include "record/opened_game.h"

namespace {

using namespace ixo;

constexpr int kMostSteps = 100000;
constexpr std::size_t kLongestGame = 150;

// One step of the script: a move, or a few keys that take back or replay.
void step(GameScene& scene, std::mt19937& random) {
    const int choice = std::uniform_int_distribution<int>(0, 9)(random);
    if (scene.match.ply() >= kLongestGame) {
        reliability::pressKey(scene, SDLK_u, static_cast<int>(kLongestGame));
    } else if (choice < 2) {
        reliability::pressKey(scene, choice == 0 ? SDLK_u : SDLK_BACKSPACE,
                              std::uniform_int_distribution<int>(1, 3)(random));
    } else if (choice == 2) {
        reliability::pressKey(scene, SDLK_r, std::uniform_int_distribution<int>(1, 2)(random));
    } else if (!reliability::clickRandomMove(scene, random)) {
        reliability::pressKey(scene, SDLK_u, 2);  // a side with no move left: go back
    }
}

}  // namespace

int main(int argc, char* argv[]) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: %s play FOLDER SEED | check RECORD SEED\n", argv[0]);
        return 2;
    }
    const std::string mode = argv[1];
    const std::string path = argv[2];
    std::mt19937 random(static_cast<std::mt19937::result_type>(std::strtoul(argv[3], nullptr, 10)));
    reliability::FakePointer::install();
    GameScene scene(nullptr);

    if (mode == "play") {
        RecordKeeper keeper({path, ""}, std::time(nullptr));
        scene.match.addObserver(&keeper);
        for (;;) {
            step(scene, random);
            keeper.afterFrame();
        }
    }

    OpenedGame game;
    std::string error;
    if (!openGame(false, path, {}, 0, game, error)) {
        std::fprintf(stderr, "record_writer: torn or unreadable record: %s\n", error.c_str());
        return 1;
    }
    const std::vector<Move> moves = GameRecord::movesTo(game.record.mainLineEnd());
    for (int count = 0; count < kMostSteps; ++count) {
        step(scene, random);
        if (scene.match.played() == moves) {
            std::printf("%zu moves, the position after step %d\n", moves.size(), count + 1);
            return 0;
        }
    }
    std::fprintf(stderr, "record_writer: the record's %zu moves are no position the game showed\n",
                 moves.size());
    return 1;
}
