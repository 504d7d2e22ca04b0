// What one frame costs: GameScene::update followed by GameScene::draw on the game's 16-bit
// screen (dummy video driver) with the real artwork, beside the bare cost of exactly the same
// SDL blits replayed in a plain loop. The difference is the program's own work per frame.
//
// The blits are taken from the scene itself: this program defines SDL_UpperBlit, which the
// scene's calls bind to, records each call when asked and hands it on to SDL's own.
#include <benchmark/benchmark.h>
#include <dlfcn.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <vector>

#include "../tests/reliability/scene_driver.h"
#include "SDL.h"
#include "game/game_scene.h"
#include "media/text.h"

namespace {

using ixo::GameScene;
using ixo::reliability::FakePointer;

struct Blit {
    SDL_Surface* source;
    bool wholeSource;
    SDL_Rect sourceRect;
    SDL_Surface* target;
    SDL_Rect targetRect;
};

using UpperBlit = int (*)(SDL_Surface*, SDL_Rect*, SDL_Surface*, SDL_Rect*);

UpperBlit sdlUpperBlit() {
    static const auto real = reinterpret_cast<UpperBlit>(dlsym(RTLD_NEXT, "SDL_UpperBlit"));
    return real;
}

std::vector<Blit>* recording = nullptr;
// With this set the blits are dropped, and a frame costs only the program's own work.
bool droppingBlits = false;

}  // namespace

extern "C" int SDL_UpperBlit(SDL_Surface* source, SDL_Rect* sourceRect, SDL_Surface* target,
                             SDL_Rect* targetRect) {
    if (recording) {
        recording->push_back({source, sourceRect == nullptr, sourceRect ? *sourceRect : SDL_Rect{},
                              target, targetRect ? *targetRect : SDL_Rect{}});
    }
    if (droppingBlits) {
        return 0;
    }
    return sdlUpperBlit()(source, sourceRect, target, targetRect);
}

namespace {

// SDL, the screen, the font and a working folder whose ../image/ is the real artwork, for the
// whole run.
struct Stage {
    Stage() {
        setenv("SDL_VIDEODRIVER", "dummy", 1);
        if (SDL_Init(SDL_INIT_VIDEO) != 0 || !SDL_SetVideoMode(800, 600, 16, SDL_HWSURFACE) ||
            !ixo::createFont() || !sdlUpperBlit()) {
            std::fprintf(stderr, "no dummy screen: %s\n", SDL_GetError());
            std::exit(1);
        }
        directory.linkImages(ixo::reliability::repositoryImages());
        FakePointer::install();
    }
    ixo::reliability::ScratchDirectory directory;
};

Stage& stage() {
    static Stage instance;
    return instance;
}

void click(GameScene& scene, int column, int row) {
    FakePointer& pointer = FakePointer::instance();
    pointer.x = 64 + 56 * column + 28;
    pointer.y = 48 + 56 * row + 28;
    pointer.buttons = SDL_BUTTON(SDL_BUTTON_LEFT);
    scene.update();
    pointer.buttons = 0;
    scene.update();
}

enum Position { Start, RookSelected, CrowdedMidGame };

// A game well under way: every piece still on the board, shuffled over it, a third of them
// promoted, Red to move with its promoted rook selected in the open, so that highlights,
// shadows, pieces and the portrait are all at their busiest.
void setUpMidGame(GameScene& scene) {
    std::mt19937 random(11);
    std::vector<ixo::Cell> pieces;
    for (const ixo::Cell& cell : scene.board().cells) {
        if (cell.piece != ixo::Empty && cell.piece != ixo::Rook) {
            pieces.push_back(cell);
        }
    }
    ixo::Board board = scene.board();
    for (int index = 0; index < ixo::kSquareCount; ++index) {
        board.place(index % 9, index / 9, ixo::Empty, 0);
    }
    // Red's promoted rook in the middle, on an open row and column.
    board.place(4, 4, ixo::PromotedRook, 1);
    board.place(2, 6, ixo::Rook, 0);
    std::vector<int> squares;
    for (int index = 0; index < ixo::kSquareCount; ++index) {
        if (index / 9 != 4 && index % 9 != 4 && index != 6 * 9 + 2) {
            squares.push_back(index);
        }
    }
    std::shuffle(squares.begin(), squares.end(), random);
    for (std::size_t i = 0; i < pieces.size() && i < squares.size(); ++i) {
        const int code = pieces[i].piece;
        const bool promote = code != ixo::Gold && code != ixo::King && code % 2 == 1 && i % 3 == 0;
        const int square = squares[i];
        // The board pulls a piece in the zone up by itself; outside it the shuffle decides.
        board.place(square % 9, square / 9, promote ? code + 1 : code, pieces[i].owner);
    }
    ixo::reliability::setUpPosition(scene, board, 1);
    click(scene, 4, 4);
}

// From a fresh scene with the pointer at rest: a benchmark before must not leave a button held.
void reach(GameScene& scene, Position position) {
    FakePointer::instance() = FakePointer{};
    if (position == RookSelected) {
        click(scene, 7, 7);
    } else if (position == CrowdedMidGame) {
        setUpMidGame(scene);
    }
}

std::vector<Blit> recordDraw(GameScene& scene) {
    std::vector<Blit> blits;
    recording = &blits;
    scene.invalidate();
    scene.draw();
    recording = nullptr;
    return blits;
}

void frame(benchmark::State& state, Position position, bool ownWorkOnly) {
    stage();
    GameScene scene(SDL_GetVideoSurface());
    reach(scene, position);
    if (position != Start && scene.selected.piece == -1) {
        state.SkipWithError("the piece could not be selected");
        return;
    }
    scene.update();
    const std::vector<Blit> blits = recordDraw(scene);

    droppingBlits = ownWorkOnly;
    for (auto _ : state) {
        scene.update();
        // Nothing changes from one frame to the next here, which would paint nothing.
        scene.invalidate();
        scene.draw();
        benchmark::ClobberMemory();
    }
    droppingBlits = false;
    state.counters["blits"] = static_cast<double>(blits.size());
    state.counters["highlights"] = scene.moveMap.count();
}

// Straight to SDL's own blit, past the recording hook, so that only SDL's time is measured.
void replayBlits(benchmark::State& state, const std::vector<Blit>& blits) {
    const UpperBlit upperBlit = sdlUpperBlit();
    for (auto _ : state) {
        for (const Blit& blit : blits) {
            SDL_Rect sourceRect = blit.sourceRect;
            SDL_Rect targetRect = blit.targetRect;
            upperBlit(blit.source, blit.wholeSource ? nullptr : &sourceRect, blit.target,
                      &targetRect);
        }
        benchmark::ClobberMemory();
    }
    state.counters["blits"] = static_cast<double>(blits.size());
}

// The same blits, same surfaces and rectangles, in a loop that does nothing else.
void bareBlits(benchmark::State& state, Position position, bool displayFormat) {
    stage();
    GameScene scene(SDL_GetVideoSurface());
    reach(scene, position);
    std::vector<Blit> blits = recordDraw(scene);

    // For comparison only: the pictures converted once to the screen's format, which the
    // game does not do.
    std::vector<SDL_Surface*> converted;
    if (displayFormat) {
        for (Blit& blit : blits) {
            SDL_Surface* copy = blit.source->flags & SDL_SRCALPHA
                                    ? SDL_DisplayFormatAlpha(blit.source)
                                    : SDL_DisplayFormat(blit.source);
            converted.push_back(copy);
            blit.source = copy;
        }
    }
    replayBlits(state, blits);
    for (SDL_Surface* copy : converted) {
        SDL_FreeSurface(copy);
    }
}

BENCHMARK_CAPTURE(frame, startPosition, Start, false)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(bareBlits, startPosition, Start, false)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(frame, ownWorkStartPosition, Start, true);
BENCHMARK_CAPTURE(frame, rookSelected, RookSelected, false)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(bareBlits, rookSelected, RookSelected, false)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(frame, ownWorkRookSelected, RookSelected, true);
BENCHMARK_CAPTURE(frame, crowdedMidGame, CrowdedMidGame, false)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(frame, ownWorkCrowdedMidGame, CrowdedMidGame, true);
BENCHMARK_CAPTURE(bareBlits, crowdedMidGame, CrowdedMidGame, false)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(bareBlits, crowdedMidGameInDisplayFormat, CrowdedMidGame, true)
    ->Unit(benchmark::kMicrosecond);

enum Layer { Background, Portrait, BoardPicture, Highlights, Shadows, Pieces, Label };

bool inLayer(const GameScene& scene, const SDL_Surface* source, Layer layer) {
    switch (layer) {
        case Background:
            return source == scene.background.surface();
        case Portrait:
            return source == scene.portrait.surface();
        case BoardPicture:
            return source == scene.boardPicture.surface();
        case Highlights:
            return source == scene.highlight.surface();
        case Shadows:
            return source == scene.blueShadow.surface() || source == scene.redShadow.surface();
        case Pieces:
            for (int code = 1; code <= ixo::King; ++code) {
                if (source == scene.bluePieces[code].surface() ||
                    source == scene.redPieces[code].surface()) {
                    return true;
                }
            }
            return false;
        case Label:
            return ixo::fontImage && source == ixo::fontImage->surface();
    }
    return false;
}

// Where the blitting time of the busiest frame goes, one layer at a time.
void blitsOfLayer(benchmark::State& state, Layer layer) {
    stage();
    GameScene scene(SDL_GetVideoSurface());
    reach(scene, CrowdedMidGame);
    std::vector<Blit> blits = recordDraw(scene);
    blits.erase(
        std::remove_if(blits.begin(), blits.end(),
                       [&](const Blit& blit) { return !inLayer(scene, blit.source, layer); }),
        blits.end());
    replayBlits(state, blits);
}
BENCHMARK_CAPTURE(blitsOfLayer, background, Background)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(blitsOfLayer, portrait, Portrait)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(blitsOfLayer, board, BoardPicture)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(blitsOfLayer, highlights, Highlights)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(blitsOfLayer, shadows, Shadows)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(blitsOfLayer, pieces, Pieces)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(blitsOfLayer, label, Label)->Unit(benchmark::kMicrosecond);

// The update alone, with the pointer still: the controller's share of a quiet frame.
void updateOnly(benchmark::State& state) {
    stage();
    GameScene scene(SDL_GetVideoSurface());
    reach(scene, CrowdedMidGame);
    for (auto _ : state) {
        benchmark::DoNotOptimize(scene.update());
    }
}
BENCHMARK(updateOnly);

// A pass in which nothing changed: the update and a draw that finds the frame on screen
// already right. This is what the pointer moving over the board costs per event.
void unchangedFrame(benchmark::State& state) {
    stage();
    GameScene scene(SDL_GetVideoSurface());
    reach(scene, CrowdedMidGame);
    scene.update();
    recordDraw(scene);
    for (auto _ : state) {
        benchmark::DoNotOptimize(scene.update());
        if (scene.draw()) {
            state.SkipWithError("an unchanged frame was painted");
            return;
        }
    }
}
BENCHMARK(unchangedFrame);

// Under the standard rules a frame also has hands, the last move, check and their
// comparison: a crowded position with both hands full and a Red knight selected.
void reachStandard(GameScene& scene) {
    FakePointer::instance() = FakePointer{};
    ixo::Position position;
    std::string error;
    ixo::parseSfen("l6nl/5+P1gk/2np1S3/p1p4Pp/3P2Sp1/1PPb2P1P/P5GS1/R8/LN4bKL w GR5pnsg 1",
                   position, error);
    scene.resumeStandard(position);
    click(scene, 2, 2);
}

void standardFrame(benchmark::State& state) {
    stage();
    GameScene scene(SDL_GetVideoSurface());
    reachStandard(scene);
    if (scene.selected.piece == -1) {
        state.SkipWithError("the knight could not be selected");
        return;
    }
    scene.update();
    for (auto _ : state) {
        scene.update();
        scene.invalidate();
        scene.draw();
        benchmark::ClobberMemory();
    }
}
BENCHMARK(standardFrame)->Unit(benchmark::kMicrosecond);

void standardUnchangedFrame(benchmark::State& state) {
    stage();
    GameScene scene(SDL_GetVideoSurface());
    reachStandard(scene);
    scene.update();
    scene.draw();
    for (auto _ : state) {
        benchmark::DoNotOptimize(scene.update());
        if (scene.draw()) {
            state.SkipWithError("an unchanged frame was painted");
            return;
        }
    }
}
BENCHMARK(standardUnchangedFrame);

}  // namespace
namespace {

// Looking back at a long game with the moves listed: a step back or on (Left, Right, turn
// about) and the frame that shows it, painted whole as every step's is. The game is 300
// moves of random legal play from a fixed seed, none of them ending it.
void reviewStep(benchmark::State& state) {
    stage();
    GameScene scene(SDL_GetVideoSurface());
    scene.resumeStandard();
    std::mt19937 random(3);
    std::vector<ixo::MoveRequest> moves;
    while (scene.match.ply() < 300) {
        ixo::legalMoves(scene.match.position(), moves);
        std::shuffle(moves.begin(), moves.end(), random);
        bool played = false;
        for (const ixo::MoveRequest& move : moves) {
            if (scene.match.play(move) == ixo::Refusal::None) {
                if (!scene.match.finished()) {
                    played = true;
                    break;
                }
                scene.match.takeBack();
            }
        }
        if (!played) {
            state.SkipWithError("the random game ended before 300 moves");
            return;
        }
    }
    scene.setReviewing(true);
    scene.update();
    scene.draw();
    bool back = true;
    for (auto _ : state) {
        ixo::reliability::pressKey(scene, back ? SDLK_LEFT : SDLK_RIGHT);
        back = !back;
        if (!scene.draw()) {
            state.SkipWithError("a step painted nothing");
            return;
        }
        benchmark::ClobberMemory();
    }
}
BENCHMARK(reviewStep)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
