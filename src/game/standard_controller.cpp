#include "game/standard_controller.h"

#include <utility>

#include "game/geometry.h"
#include "input/keyboard.h"
#include "input/mouse.h"
#include "util/format.h"

namespace ixo {

namespace {

constexpr std::int8_t kNothingSelected = -1;

const char* portraitPattern(int side) {
    return side == 0 ? "team/sample/1pcg/%02d.png" : "team/sample/2pcg/%02d.png";
}

const char* sideName(int side) {
    return side == 0 ? "Blue" : "Red";
}

void deselect(GameScene& scene) {
    scene.selected.piece = kNothingSelected;
    scene.moveMap.clear();
    scene.choosingPromotion = false;
}

// Under the standard rules the line under the board speaks of the position (a refusal, a
// question about the game), so it goes with it. The simple game's line only ever says what
// the engines and keys did, which stays true whatever position is shown.
void clearPositionNotice(GameScene& scene) {
    if (scene.rules() == RuleSet::Standard) {
        scene.notice.clear();
    }
}

// Endings that come with no move of their own: taking one back is news to the observers even
// when the move before it goes too.
bool endsWithoutAMove(GameEnd how) {
    return how == GameEnd::Resignation || how == GameEnd::Impasse ||
           how == GameEnd::FailedImpasse || how == GameEnd::IllegalMove || how == GameEnd::TimeUp;
}

void play(GameScene& scene, const MoveRequest& request) {
    Move made;
    const Refusal why = scene.match.play(request, &made);
    if (why != Refusal::None) {
        scene.notice = refusalText(why);
        deselect(scene);
        return;
    }
    settle(scene);
    scene.notify(made, MoveEvent::Played);
}

// `position` is the game's, or while the computer thinks the same with the player to move.
void selectOnBoard(GameScene& scene, int side, Square square, const Position& position) {
    // Selectable even with no legal move: a pinned piece is exactly the one whose refusal a
    // beginner needs explained.
    scene.selected = position.board.cellAt(square.column, square.row);
    scene.moveMap = legalDestinations(position, square.column, square.row);
    scene.showPortrait(scene.pictureFolder +
                       formatString(portraitPattern(side), scene.selected.piece));
}

void selectFromHand(GameScene& scene, int side, int kind, const Position& position) {
    scene.selected = Cell{static_cast<std::int8_t>(kind), static_cast<std::int8_t>(side), -1, -1};
    scene.moveMap = legalDrops(position, kind);
    scene.showPortrait(scene.pictureFolder + formatString(portraitPattern(side), kind));
}

// The selected piece asked to go to `square`: refused with its reason, asked about
// promotion, or played.
void tryMove(GameScene& scene, Square square) {
    const Position& position = scene.match.position();
    MoveRequest request;
    request.toColumn = square.column;
    request.toRow = square.row;
    Promotion promotion = Promotion::Impossible;
    if (scene.selected.column < 0) {
        request.dropPiece = scene.selected.piece;
    } else {
        request.fromColumn = scene.selected.column;
        request.fromRow = scene.selected.row;
        promotion = promotionFor(position, request.fromColumn, request.fromRow, request.toColumn,
                                 request.toRow);
        request.promote = promotion == Promotion::Forced;
    }
    const Refusal why = judgeMove(position, request);
    if (why != Refusal::None) {
        // The selection stays, so the player can try another square at once.
        scene.notice = refusalText(why);
        return;
    }
    if (promotion == Promotion::Optional) {
        scene.choosingPromotion = true;
        scene.pendingMove = request;
        scene.moveMap.clear();
        return;
    }
    play(scene, request);
}

void answerPromotion(GameScene& scene, bool cancel, int x, int y) {
    if (cancel) {
        deselect(scene);  // the board never changed, so it is as it was
        return;
    }
    const Square to = scene.viewed({scene.pendingMove.toColumn, scene.pendingMove.toRow});
    const Box choice = promotionChoice(to.column, to.row);
    if (!choice.contains(x, y)) {
        return;  // the question stays until it is answered or cancelled
    }
    MoveRequest request = scene.pendingMove;
    request.promote = x < choice.left + kSquareSize;
    play(scene, request);
}

std::string promptFor(GameScene::Question question, int side) {
    switch (question) {
        case GameScene::Question::NewGame:
            return "Start a new game? Press N again to confirm";
        case GameScene::Question::Resign:
            return formatString("%s resigns? Press G again to confirm", sideName(side));
        case GameScene::Question::Impasse:
            return formatString("%s declares impasse (27 points)? Press D again", sideName(side));
        case GameScene::Question::None:
            break;
    }
    return "";
}

void dropQuestion(GameScene& scene) {
    scene.asking = GameScene::Question::None;
    scene.notice.clear();
}

void endStandardGame(GameScene& scene, GameScene::Question how) {
    if (how == GameScene::Question::Resign) {
        scene.match.resign();
    } else {
        scene.match.declareImpasse();
    }
    settle(scene);
    scene.notify(lastPlayed(scene.match), MoveEvent::Ended);
}

void ask(GameScene& scene, GameScene::Question question) {
    if (scene.asking == question) {
        dropQuestion(scene);
        if (question == GameScene::Question::NewGame) {
            scene.chooseNextGame();
        } else {
            endStandardGame(scene, question);
        }
        return;
    }
    if (question != GameScene::Question::NewGame && scene.match.outcome().over()) {
        dropQuestion(scene);
        scene.notice = refusalText(Refusal::GameOver);
        return;
    }
    scene.asking = question;
    scene.askedAt = scene.ticks();
    scene.notice = promptFor(question, scene.match.position().sideToMove);
}

}  // namespace

void settle(GameScene& scene) {
    deselect(scene);
}

void tellEnding(GameScene& scene) {
    if (scene.rules() == RuleSet::Standard) {
        scene.notify(lastPlayed(scene.match), MoveEvent::Ended);
    }
}

Move lastPlayed(const Match& match) {
    const Move* last = match.lastMove();
    return last ? *last : Move{};
}

void answerQuestions(GameScene& scene) {
    const Keyboard& keys = Keyboard::instance();
    const Mouse& mouse = Mouse::instance();
    if (scene.asking != GameScene::Question::None) {
        const bool expired = scene.ticks() - scene.askedAt > GameScene::kConfirmWindowMs;
        const bool somethingElse =
            mouse.leftReleased() || mouse.rightReleased() ||
            keys.presses(SDLK_u) + keys.presses(SDLK_BACKSPACE) + keys.presses(SDLK_r) > 0;
        if (expired || somethingElse) {
            dropQuestion(scene);
        }
    }
    for (int count = keys.presses(SDLK_n); count > 0; --count) {
        ask(scene, GameScene::Question::NewGame);
    }
    if (scene.rules() != RuleSet::Standard) {
        return;
    }
    for (int count = keys.presses(SDLK_g); count > 0; --count) {
        ask(scene, GameScene::Question::Resign);
    }
    for (int count = keys.presses(SDLK_d); count > 0; --count) {
        ask(scene, GameScene::Question::Impasse);
    }
}

bool takeBackPly(GameScene& scene) {
    const Outcome before = scene.match.outcome();
    // An ending that came without a move is taken back on its own, before any move.
    const bool endingOnly = scene.match.current().isEnd();
    const Move move = lastPlayed(scene.match);
    if (!scene.match.takeBack()) {
        return false;  // at the start: nothing to undo, and the selection stays
    }
    settle(scene);
    clearPositionNotice(scene);
    if (endingOnly) {
        if (endsWithoutAMove(before.how)) {
            tellEnding(scene);
        }
        return true;
    }
    scene.notify(move, MoveEvent::TakenBack);
    return true;
}

bool replayPly(GameScene& scene) {
    if (!scene.match.replay()) {
        return false;
    }
    settle(scene);
    clearPositionNotice(scene);
    if (scene.match.current().isEnd()) {
        tellEnding(scene);
    } else {
        scene.notify(lastPlayed(scene.match), MoveEvent::Replayed);
    }
    return true;
}

void stepThroughHistory(GameScene& scene) {
    const Keyboard& keys = Keyboard::instance();
    for (int count = keys.presses(SDLK_u) + keys.presses(SDLK_BACKSPACE); count > 0; --count) {
        if (!takeBackPly(scene)) {
            break;
        }
    }
    for (int count = keys.presses(SDLK_r); count > 0; --count) {
        if (!replayPly(scene)) {
            break;
        }
    }
}

void updateStandard(GameScene& scene) {
    const Mouse& mouse = Mouse::instance();
    const bool left = mouse.leftReleased();
    const bool right = mouse.rightReleased();
    if (!left && !right) {
        return;
    }
    // What the last click was told is old news once the player acts again.
    scene.notice.clear();
    if (scene.choosingPromotion) {
        answerPromotion(scene, right, mouse.x, mouse.y);
        return;
    }
    // Cancelling first means a sloppy two-button release never moves a piece by accident.
    if (right) {
        deselect(scene);
        return;
    }
    if (scene.match.outcome().over()) {
        deselect(scene);
        scene.notice = refusalText(Refusal::GameOver);
        return;
    }
    const Position& position = scene.match.position();
    const int side = position.sideToMove;
    const HandPlace place = scene.handUnder(mouse.x, mouse.y);
    if (place.side >= 0) {
        const int kind = kHandKinds[place.index];
        if (place.side == side && position.hands[side][kind] > 0) {
            selectFromHand(scene, side, kind, position);
        }
        return;
    }
    const Square square = scene.squareUnder(mouse.x, mouse.y);
    if (!Board::inBounds(square.column, square.row)) {
        return;
    }
    const Cell cell = position.board.cellAt(square.column, square.row);
    // Another piece of one's own takes over the selection; no move could land there anyway.
    if (cell.piece != Empty && cell.owner == side) {
        selectOnBoard(scene, side, square, position);
        return;
    }
    if (scene.selected.piece == kNothingSelected) {
        return;
    }
    tryMove(scene, square);
}

void updateStandardWhileWaiting(GameScene& scene, int player) {
    const Mouse& mouse = Mouse::instance();
    const bool left = mouse.leftReleased();
    // The line under the board is the computer's while it thinks, so clicks leave it be.
    if (mouse.rightReleased()) {
        deselect(scene);
        return;
    }
    if (!left || scene.match.outcome().over()) {
        return;
    }
    Position ahead = scene.match.position();
    ahead.sideToMove = player;
    const HandPlace place = scene.handUnder(mouse.x, mouse.y);
    if (place.side >= 0) {
        const int kind = kHandKinds[place.index];
        if (place.side == player && ahead.hands[player][kind] > 0) {
            selectFromHand(scene, player, kind, ahead);
        }
        return;
    }
    const Square square = scene.squareUnder(mouse.x, mouse.y);
    if (!Board::inBounds(square.column, square.row)) {
        return;
    }
    const Cell cell = ahead.board.cellAt(square.column, square.row);
    if (cell.piece != Empty && cell.owner == player) {
        selectOnBoard(scene, player, square, ahead);
    }
}

void keepStandardPick(GameScene& scene, const Cell& held) {
    const Position& position = scene.match.position();
    if (held.piece == kNothingSelected) {
        return;
    }
    // An engine that failed leaves the turn where it was: the pick is for a turn not come.
    if (position.sideToMove != held.owner || scene.match.outcome().over()) {
        deselect(scene);
        return;
    }
    if (scene.selected.piece != kNothingSelected) {
        return;
    }
    if (held.column < 0) {
        if (held.piece > Empty && held.piece < King && position.hands[held.owner][held.piece] > 0) {
            selectFromHand(scene, held.owner, held.piece, position);
        }
        return;
    }
    const Cell now = position.board.cellAt(held.column, held.row);
    if (now.piece == held.piece && now.owner == held.owner) {
        selectOnBoard(scene, held.owner, {held.column, held.row}, position);
    }
}

void GameScene::resumeStandard(const Position& start) {
    GameRecord record;
    record.rules = RuleSet::Standard;
    record.start = start;
    resumeRecord(std::move(record));
}

bool GameScene::resumeRecord(GameRecord record) {
    const RuleSet rules = record.rules;
    std::string unused;
    bool resumed = match.load(std::move(record), unused);
    if (!resumed) {
        GameRecord empty;
        empty.rules = rules;
        match.load(std::move(empty), unused);
    }
    if (rules == RuleSet::Standard) {
        loadStandardPictures();
    }
    settle(*this);
    notice.clear();
    asking = Question::None;
    startClocksAfresh();
    return resumed;
}

void GameScene::startNewGame() {
    match.newGame();
    settle(*this);
    notice.clear();
    asking = Question::None;
    startClocksAfresh();
    for (GameObserver* observer : observers) {
        observer->onNewGame(*this);
    }
}

}  // namespace ixo
