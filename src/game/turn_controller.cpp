#include "game/game_scene.h"
#include "game/geometry.h"
#include "game/server_controller.h"
#include "game/standard_controller.h"
#include "input/keyboard.h"
#include "input/mouse.h"
#include "match/computer_opponent.h"
#include "match/hint_engine.h"
#include "shogi/move.h"
#include "util/format.h"

namespace ixo {

namespace {

constexpr std::int8_t kNothingSelected = -1;

// Both procedures work in the frame of the side to move, where that side is owner 0 moving
// toward row 0, so neither knows which colour it serves.

// Picks up the piece on `square` of `working` (in the frame of the side it belongs to); a
// piece that cannot move is not selectable, so a click on it leaves no trace.
bool pickUp(GameScene& scene, const Board& working, Square square, const char* portraitPattern) {
    if (!working.isOwnPiece(square.column, square.row)) {
        return false;
    }
    MoveMap destinations;
    destinations.computeDestinations(working, square.column, square.row);
    if (destinations.count() == 0) {
        return false;
    }
    scene.selected = working.cellAt(square.column, square.row);
    scene.moveMap = destinations;
    scene.showPortrait(scene.pictureFolder + formatString(portraitPattern, scene.selected.piece));
    return true;
}

const char* portraitPattern(int side) {
    return side != 0 ? "team/sample/2pcg/%02d.png" : "team/sample/1pcg/%02d.png";
}

void selectPiece(GameScene& scene, const Board& working, Square square,
                 const char* portraitPattern) {
    if (Mouse::instance().leftReleased()) {
        pickUp(scene, working, square, portraitPattern);
    }
}

// While the computer thinks, the player may pick up a piece of their own, judged in their
// own frame as if it were their turn. It is stored in the frame of the side to move, the
// computer's, which is the one the drawing reads, so its rows are mirrored; nothing moves.
void pickUpWhileWaiting(GameScene& scene, int player) {
    const Mouse& mouse = Mouse::instance();
    if (mouse.rightReleased()) {
        scene.selected.piece = kNothingSelected;
        scene.moveMap.clear();
        return;
    }
    if (!mouse.leftReleased() || scene.selected.piece != kNothingSelected) {
        return;
    }
    const Square pointer = scene.squareUnder(mouse.x, mouse.y);
    const Board& board = scene.match.position().board;
    const Board working = player != 0 ? board.flipped() : board;
    if (!pickUp(scene, working, player != 0 ? mirrorRow(pointer) : pointer,
                portraitPattern(player))) {
        return;
    }
    MoveMap mirrored;
    mirrored.clear();
    for (int index = 0; index < kSquareCount; ++index) {
        const int column = index % kBoardSize;
        const int row = index / kBoardSize;
        mirrored.marks[(kBoardSize - 1 - row) * kBoardSize + column] = scene.moveMap.marks[index];
    }
    scene.moveMap = mirrored;
    scene.selected.row = kBoardSize - 1 - scene.selected.row;
    scene.selected.owner = 1;
}

// True when the selected piece moved to `square`; `made` then describes the move in screen
// squares. `square` and the selection are in the frame of the side to move.
bool moveSelectedPiece(GameScene& scene, const Board& working, Square square, Move& made) {
    const Mouse& mouse = Mouse::instance();
    // Cancelling first means a sloppy two-button release never moves a piece by accident.
    if (mouse.rightReleased()) {
        scene.selected.piece = kNothingSelected;
        scene.moveMap.clear();
        return false;
    }
    if (!mouse.leftReleased()) {
        return false;
    }
    // Switching to another own piece needs a cancel first; a click on one is ignored.
    if (working.isOwnPiece(square.column, square.row) ||
        !Board::inBounds(square.column, square.row)) {
        return false;
    }
    // Judged afresh by the rules rather than from the stored highlights, so the move is only
    // ever what the rules allow on the board as it stands. The match judges in screen squares.
    const bool redToMove = scene.match.position().sideToMove != 0;
    MoveRequest request;
    const Square from = redToMove ? mirrorRow({scene.selected.column, scene.selected.row})
                                  : Square{scene.selected.column, scene.selected.row};
    const Square to = redToMove ? mirrorRow(square) : square;
    request.fromColumn = from.column;
    request.fromRow = from.row;
    request.toColumn = to.column;
    request.toRow = to.row;
    return scene.match.play(request, &made) == Refusal::None;
}

}  // namespace

std::string GameScene::update() {
    if (newGamePanel.isOpen()) {
        return updatePanel();
    }
    // Every press turns, so two in one pass leave the board as it was.
    if (Keyboard::instance().presses(SDLK_f) % 2 != 0) {
        setTurned(!turned);
    }
    updatePlay();
    // Last, so that a move made in this pass has already made the hint stale.
    if (hint_) {
        if (Keyboard::instance().presses(SDLK_h) % 2 != 0) {
            hint_->request(match, computer_);
            hintNotice_.show(hint_->notice(), notice);
        }
        hint_->update(match);
        hintNotice_.show(hint_->notice(), notice);
        if (hint_->shown().to >= 0 && !hintMark.surface()) {
            loadPicture(hintMark, pictureFolder + "hint.png");
        }
    } else if (Keyboard::instance().presses(SDLK_h) > 0) {
        notice = "No engine for hints";
    }
    return "loop";
}

void GameScene::updatePlay() {
    Mouse::instance().refresh();
    if (clockWaiting_) {
        match.restartClock();
        clockWaiting_ = false;
    }
    if (server) {
        updateServerGame(*this);
        return;
    }
    if (Keyboard::instance().presses(SDLK_p) % 2 != 0) {
        togglePause();
    }
    if (paused()) {
        // The engine is still read, so whatever it sends cannot keep the loop awake.
        if (computer_) {
            updateComputer();
        }
        return;
    }
    judgeFlag();
    answerQuestions(*this);
    stepThroughHistory(*this);
    if (rules() == RuleSet::Standard) {
        if (computer_ && Keyboard::instance().presses(SDLK_e) > 0) {
            restartComputer();
        }
        if (computer_) {
            const Cell held = computer_->ownsTurn(match) ? selected : Cell{-1, 0, 0, 0};
            updateComputer();
            if (!computer_->ownsTurn(match)) {
                keepStandardPick(*this, held);
            }
        }
        // The computer's side is not the player's to move, so clicks wait for their turn.
        if (!computer_ || !computer_->ownsTurn(match)) {
            updateStandard(*this);
        } else {
            updateStandardWhileWaiting(*this, computer_->side() == 0 ? 1 : 0);
        }
        return;
    }
    if (computer_ && Keyboard::instance().presses(SDLK_e) > 0) {
        restartComputer();
    }
    if (lostOnTime() >= 0) {
        return;  // no more moves after a flag fall, until it is taken back
    }
    if (computer_) {
        // A piece picked up while the computer thought, in screen squares.
        const bool waited = computer_->ownsTurn(match) && selected.piece != kNothingSelected;
        const Square held = turn() != 0 ? mirrorRow({selected.column, selected.row})
                                        : Square{selected.column, selected.row};
        updateComputer();
        if (computer_->ownsTurn(match)) {
            pickUpWhileWaiting(*this, computer_->side() == 0 ? 1 : 0);
            return;
        }
        // Its turn has come: the piece stays picked up if the computer's move left it there.
        if (waited && selected.piece == kNothingSelected) {
            const Board& now = match.position().board;
            pickUp(*this, turn() != 0 ? now.flipped() : now, turn() != 0 ? mirrorRow(held) : held,
                   portraitPattern(turn()));
        }
    }
    const Mouse& mouse = Mouse::instance();
    const Square pointer = squareUnder(mouse.x, mouse.y);

    // Red plays on the mirrored board, where its pieces are owner 0 at the bottom; the one set
    // of rules then serves both sides, and the result is mirrored back after Red's move.
    const bool redToMove = match.position().sideToMove != 0;
    const Board& now = match.position().board;
    Board working = redToMove ? now.flipped() : now;
    const Square square = redToMove ? mirrorRow(pointer) : pointer;

    if (selected.piece == kNothingSelected) {
        selectPiece(*this, working, square, portraitPattern(redToMove ? 1 : 0));
    } else {
        Move made;
        if (moveSelectedPiece(*this, working, square, made)) {
            settle(*this);
            notify(made, MoveEvent::Played);
        }
    }
}

}  // namespace ixo
