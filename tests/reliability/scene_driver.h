#pragma once

// Drives a game scene without a display: a pointer that the caller moves and clicks, a
// scratch working directory whose ../image/ is either missing or a chosen picture folder, and
// the process's resident memory. Shared by the game and reliability tests, the fuzzer and the
// benchmarks.

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "SDL.h"
#include "game/game_scene.h"
#include "game/geometry.h"
#include "game/turn_controller.h"
#include "input/keyboard.h"
#include "input/mouse.h"
#include "shogi/move.h"

namespace ixo::reliability {

// Where the mouse reader finds the pointer; one per process, like the mouse itself.
struct FakePointer {
    int x = 0;
    int y = 0;
    Uint8 buttons = 0;

    static FakePointer& instance() {
        static FakePointer pointer;
        return pointer;
    }
    static Uint8 read(int* x, int* y) {
        const FakePointer& pointer = instance();
        *x = pointer.x;
        *y = pointer.y;
        return pointer.buttons;
    }
    // Puts this pointer in charge of the mouse, with no button held in the frame before.
    static void install() {
        instance() = FakePointer{};
        Mouse::setStateReader(&FakePointer::read);
        Mouse::instance() = Mouse{};
    }
    static void uninstall() {
        Mouse::setStateReader(nullptr);
        Mouse::instance() = Mouse{};
    }
};

// The scene as its constructor leaves it, without loading the pictures again.
inline void startNewGame(GameScene& scene) {
    scene.moveMap.clear();
    scene.selected = Cell{};
    scene.selected.piece = -1;
    GameRecord fresh;
    fresh.rules = scene.rules();
    std::string unused;
    scene.match.load(std::move(fresh), unused);
    scene.notice.clear();
    scene.asking = GameScene::Question::None;
    Mouse::instance() = Mouse{};
}

// `board` with `sideToMove` to move, as the start of a game under the scene's rules, the way
// a record set up like that would open: the match owns the position, so a test that wants
// another one sets it up there rather than on the board the drawing reads.
// False when the match refuses it.
inline bool setUpPosition(GameScene& scene, const Board& board, int sideToMove) {
    GameRecord record;
    record.rules = scene.rules();
    record.start = scene.match.position();
    record.start.board = board;
    record.start.sideToMove = sideToMove;
    std::string error;
    const bool loaded = scene.match.load(std::move(record), error);
    settle(scene);
    return loaded;
}

// Changes the board the match stands on behind the players' backs (and the side to move,
// unless it is -1), keeping what is selected: a change, or a fault, that the drawing and the
// checks must notice. False when the match refuses it.
template <typename Edit>
bool changePosition(GameScene& scene, Edit edit, int sideToMove = -1) {
    Board board = scene.board();
    edit(board);
    const Cell selected = scene.selected;
    const MoveMap moveMap = scene.moveMap;
    const bool loaded = setUpPosition(scene, board, sideToMove < 0 ? scene.turn() : sideToMove);
    scene.selected = selected;
    scene.moveMap = moveMap;
    return loaded;
}

// A left click on a screen square: pressed in one frame, released in the next.
inline void clickSquare(GameScene& scene, int column, int row) {
    FakePointer& pointer = FakePointer::instance();
    pointer.x = squareLeft(column) + kSquareSize / 2;
    pointer.y = squareTop(row) + kSquareSize / 2;
    pointer.buttons = SDL_BUTTON(SDL_BUTTON_LEFT);
    scene.update();
    pointer.buttons = 0;
    scene.update();
}

// One frame in which `key` went down `times` times, as the main loop would count it.
inline void pressKey(GameScene& scene, SDLKey key, int times = 1) {
    static const Uint8 noKeysHeld[SDLK_LAST] = {};
    for (int press = 0; press < times; ++press) {
        Keyboard::instance().noteKeyDown(key);
    }
    Keyboard::instance().refreshFrom(noKeysHeld);
    scene.update();
    Keyboard::instance().refreshFrom(noKeysHeld);  // so the next frame sees no presses
}

// Every move the rules allow `side` on `board`, in screen squares.
inline std::vector<Move> legalMoves(const Board& board, int side) {
    std::vector<Move> moves;
    for (int from = 0; from < kBoardSize * kBoardSize; ++from) {
        for (int to = 0; to < kBoardSize * kBoardSize; ++to) {
            Board trial = board;
            Move made;
            if (playMove(trial, side, from % kBoardSize, from / kBoardSize, to % kBoardSize,
                         to / kBoardSize, &made)) {
                moves.push_back(made);
            }
        }
    }
    return moves;
}

// Plays a random legal move for the side to move the way a player does, with two clicks;
// false when that side has no move left.
inline bool clickRandomMove(GameScene& scene, std::mt19937& random) {
    const std::vector<Move> moves = legalMoves(scene.board(), scene.turn());
    if (moves.empty()) {
        return false;
    }
    const Move& move =
        moves[std::uniform_int_distribution<std::size_t>(0, moves.size() - 1)(random)];
    clickSquare(scene, move.fromColumn, move.fromRow);
    clickSquare(scene, move.toColumn, move.toRow);
    return true;
}

// The committed artwork: the repository's unless IXO_IMAGE_DIR names another.
inline std::filesystem::path repositoryImages() {
    if (const char* configured = std::getenv("IXO_IMAGE_DIR")) {
        return configured;
    }
    return std::filesystem::path(IXO_SOURCE_DIR) / "image";
}

// A fresh <tmp>/ixo-XXXXXX with a run/ folder to work in, so the scene's ../image/ is
// <tmp>/ixo-XXXXXX/image: absent, a link to real pictures, or a folder the caller fills.
class ScratchDirectory {
  public:
    ScratchDirectory() : previous_(std::filesystem::current_path()) {
        std::string pattern = (std::filesystem::temp_directory_path() / "ixo-XXXXXX").string();
        if (!mkdtemp(pattern.data())) {
            std::perror("mkdtemp");
            std::abort();
        }
        root_ = pattern;
        std::filesystem::create_directories(root_ / "run");
        std::filesystem::current_path(root_ / "run");
    }
    ~ScratchDirectory() {
        std::error_code ignored;
        std::filesystem::current_path(previous_, ignored);
        std::filesystem::remove_all(root_, ignored);
    }
    ScratchDirectory(const ScratchDirectory&) = delete;
    ScratchDirectory& operator=(const ScratchDirectory&) = delete;

    const std::filesystem::path& root() const { return root_; }
    std::filesystem::path images() const { return root_ / "image"; }
    void linkImages(const std::filesystem::path& folder) const {
        std::filesystem::create_directory_symlink(folder, images());
    }

  private:
    std::filesystem::path previous_;
    std::filesystem::path root_;
};

// AddressSanitizer keeps freed blocks in quarantine, so resident memory climbs under it
// whatever the program does; memory bounds are judged in plain builds only.
#if defined(__SANITIZE_ADDRESS__)
constexpr bool kResidentMemoryIsMeaningful = false;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kResidentMemoryIsMeaningful = false;
#else
constexpr bool kResidentMemoryIsMeaningful = true;
#endif
#else
constexpr bool kResidentMemoryIsMeaningful = true;
#endif

// Resident set size in kilobytes, from the second field of /proc/self/statm.
inline long residentKilobytes() {
    long pages = 0;
    long resident = 0;
    if (FILE* statm = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(statm, "%ld %ld", &pages, &resident) != 2) {
            resident = 0;
        }
        std::fclose(statm);
    }
    return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

}  // namespace ixo::reliability
