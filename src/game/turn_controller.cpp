#include "game/turn_controller.h"

#include <utility>

#include "game/geometry.h"
#include "game/play_style.h"
#include "game/server_controller.h"
#include "input/keyboard.h"
#include "input/mouse.h"
#include "match/computer_opponent.h"
#include "match/hint_engine.h"
#include "shogi/move.h"
#include "util/format.h"

namespace ixo {

namespace {

constexpr std::int8_t kNothingSelected = -1;

const PlayStyle& styleOf(const GameScene& scene) {
    return playStyle(scene.rules());
}

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

// The controller thinks in screen squares with real owners. The scene keeps the selection in
// its rule set's frame (PlayStyle::moversFrame), which for Red under the simple rules is the
// mirrored board where Red is owner 0; hold() and heldOnScreen() are the only crossings.
bool keptMirrored(const GameScene& scene) {
    return styleOf(scene).moversFrame && scene.turn() != 0;
}

void hold(GameScene& scene, Cell cell, const MoveMap& marks) {
    if (!keptMirrored(scene)) {
        scene.selected = cell;
        scene.moveMap = marks;
        return;
    }
    if (cell.row >= 0) {
        cell.row = kBoardSize - 1 - cell.row;
    }
    cell.owner = cell.owner == 0 ? 1 : 0;
    scene.selected = cell;
    scene.moveMap.clear();
    for (int index = 0; index < kSquareCount; ++index) {
        const int column = index % kBoardSize;
        const int row = index / kBoardSize;
        scene.moveMap.marks[(kBoardSize - 1 - row) * kBoardSize + column] = marks.marks[index];
    }
}

}  // namespace

Cell heldOnScreen(const GameScene& scene) {
    Cell cell = scene.selected;
    if (cell.piece == kNothingSelected || !keptMirrored(scene)) {
        return cell;
    }
    if (cell.row >= 0) {
        cell.row = kBoardSize - 1 - cell.row;
    }
    cell.owner = cell.owner == 0 ? 1 : 0;
    return cell;
}

namespace {

// Picks up `side`'s piece on `square`, judged on `position` as if `side` were to move (the
// game's, or while the computer thinks the same with the player to move).
bool pickUp(GameScene& scene, int side, Square square, const Position& position) {
    const Cell cell = position.board.cellAt(square.column, square.row);
    if (cell.piece == Empty || cell.owner != side) {
        return false;
    }
    const MoveMap marks = legalDestinations(position, square.column, square.row, scene.rules());
    if (styleOf(scene).pickNeedsAMove && marks.count() == 0) {
        return false;
    }
    hold(scene, cell, marks);
    scene.showPortrait(scene.pictureFolder + formatString(portraitPattern(side), cell.piece));
    return true;
}

bool pickFromHand(GameScene& scene, int side, int kind, const Position& position) {
    if (position.hands[side][kind] <= 0) {
        return false;
    }
    hold(scene, Cell{static_cast<std::int8_t>(kind), static_cast<std::int8_t>(side), -1, -1},
         legalDrops(position, kind));
    scene.showPortrait(scene.pictureFolder + formatString(portraitPattern(side), kind));
    return true;
}

// A left click at (x, y) for `side`, judged on `position`: picks up a piece of theirs from
// the board or the hand. True when the click was over one of their pieces (picked up or not),
// so it can be nothing else.
bool clickOwnPiece(GameScene& scene, int side, int x, int y, const Position& position) {
    const HandPlace place = scene.handUnder(x, y);
    if (place.side >= 0) {
        if (place.side == side) {
            pickFromHand(scene, side, kHandKinds[place.index], position);
        }
        return true;  // a hand holds nothing to move to
    }
    const Square square = scene.squareUnder(x, y);
    const Cell cell = position.board.cellAt(square.column, square.row);
    if (cell.piece == Empty || cell.owner != side) {
        return false;
    }
    if (scene.selected.piece == kNothingSelected || styleOf(scene).ownPieceSwitches) {
        pickUp(scene, side, square, position);
    }
    return true;
}

// Under a rule set whose line under the board speaks of the position, it goes with it.
void clearPositionNotice(GameScene& scene) {
    if (styleOf(scene).noticeOfPosition) {
        scene.notice.clear();
    }
}

void tellRefusal(GameScene& scene, Refusal why) {
    if (styleOf(scene).noticeOfPosition) {
        scene.notice = refusalText(why);
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
        tellRefusal(scene, why);
        deselect(scene);
        return;
    }
    settle(scene);
    scene.notify(made, MoveEvent::Played);
}

// The selected piece asked to go to `square`: refused with its reason, asked about
// promotion, or played. Judged afresh by the rules rather than from the marks, so the move is
// only ever what the rules allow on the board as it stands.
void tryMove(GameScene& scene, Square square) {
    const Position& position = scene.match.position();
    const Cell from = heldOnScreen(scene);
    MoveRequest request;
    request.toColumn = square.column;
    request.toRow = square.row;
    Promotion promotion = Promotion::Impossible;
    if (from.column < 0) {
        request.dropPiece = from.piece;
    } else {
        request.fromColumn = from.column;
        request.fromRow = from.row;
        promotion = promotionFor(position, request.fromColumn, request.fromRow, request.toColumn,
                                 request.toRow, scene.rules());
        request.promote = promotion == Promotion::Forced;
    }
    const Refusal why = judgeMove(position, request, scene.rules());
    if (why != Refusal::None) {
        // The selection stays, so the player can try another square at once.
        tellRefusal(scene, why);
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

}  // namespace

void clickToMove(GameScene& scene) {
    const Mouse& mouse = Mouse::instance();
    const bool left = mouse.leftReleased();
    const bool right = mouse.rightReleased();
    if (!left && !right) {
        return;
    }
    // What the last click was told is old news once the player acts again.
    clearPositionNotice(scene);
    if (scene.choosingPromotion) {
        answerPromotion(scene, right, mouse.x, mouse.y);
        return;
    }
    // Cancelling first means a sloppy two-button release never moves a piece by accident;
    // with nothing picked up, its left half still picks one up.
    if (right && (!left || scene.selected.piece != kNothingSelected)) {
        deselect(scene);
        return;
    }
    if (scene.match.outcome().over()) {
        deselect(scene);
        tellRefusal(scene, Refusal::GameOver);
        return;
    }
    const Position& position = scene.match.position();
    if (clickOwnPiece(scene, position.sideToMove, mouse.x, mouse.y, position)) {
        return;
    }
    const Square square = scene.squareUnder(mouse.x, mouse.y);
    if (scene.selected.piece == kNothingSelected || !Board::inBounds(square.column, square.row)) {
        return;
    }
    tryMove(scene, square);
}

void clickWhileWaiting(GameScene& scene, int player) {
    const Mouse& mouse = Mouse::instance();
    // The line under the board is the computer's while it thinks, so clicks leave it be.
    if (mouse.rightReleased()) {
        deselect(scene);
        return;
    }
    if (!mouse.leftReleased() || scene.match.outcome().over()) {
        return;
    }
    if (scene.selected.piece != kNothingSelected && !styleOf(scene).ownPieceSwitches) {
        return;
    }
    Position ahead = scene.match.position();
    ahead.sideToMove = player;
    clickOwnPiece(scene, player, mouse.x, mouse.y, ahead);
}

void keepPick(GameScene& scene, const Cell& held) {
    if (held.piece == kNothingSelected) {
        return;
    }
    const Position& position = scene.match.position();
    // An engine that failed leaves the turn where it was: the pick is for a turn not come.
    if (position.sideToMove != held.owner || scene.match.outcome().over()) {
        deselect(scene);
        return;
    }
    if (scene.selected.piece != kNothingSelected) {
        return;
    }
    if (held.column < 0) {
        if (held.piece > Empty && held.piece < King) {
            pickFromHand(scene, held.owner, held.piece, position);
        }
        return;
    }
    if (position.board.cellAt(held.column, held.row).piece == held.piece) {
        pickUp(scene, held.owner, {held.column, held.row}, position);
    }
}

namespace {

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

void endGame(GameScene& scene, GameScene::Question how) {
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
            endGame(scene, question);
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

// N, and where the rule set has endings G and D: a first press asks in the notice line, the
// same key again within the confirmation window does it. Any other action drops the question.
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
    if (!styleOf(scene).endings) {
        return;
    }
    for (int count = keys.presses(SDLK_g); count > 0; --count) {
        ask(scene, GameScene::Question::Resign);
    }
    for (int count = keys.presses(SDLK_d); count > 0; --count) {
        ask(scene, GameScene::Question::Impasse);
    }
}

// U / Backspace and R through the game, its endings (a flag fall among them) included.
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

}  // namespace

void settle(GameScene& scene) {
    deselect(scene);
}

void tellEnding(GameScene& scene) {
    if (styleOf(scene).endings) {
        scene.notify(lastPlayed(scene.match), MoveEvent::Ended);
    }
}

Move lastPlayed(const Match& match) {
    const Move* last = match.lastMove();
    return last ? *last : Move{};
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

bool jumpTo(GameScene& scene, const RecordNode& node) {
    if (&node == &scene.match.current() || !scene.match.goTo(node)) {
        return false;
    }
    settle(scene);
    clearPositionNotice(scene);
    return true;
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
    const bool resumed = match.load(std::move(record), unused);
    if (!resumed) {
        // A record that cannot be played leaves the start position, as a new game would.
        GameRecord empty;
        empty.rules = rules;
        match.load(std::move(empty), unused);
    }
    loadRuleSetPictures();
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

std::string GameScene::update() {
    readAnalysts();
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
    if (playOnAsked_) {
        playOnAsked_ = false;
        return kPlayOnAgainstComputer;
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
    if (updateReview()) {
        return;  // the click was on the review's panel
    }
    if (computer_ && Keyboard::instance().presses(SDLK_e) > 0) {
        restartComputer();
    }
    if (computer_) {
        const Cell held =
            computer_->ownsTurn(match) ? heldOnScreen(*this) : Cell{kNothingSelected, 0, 0, 0};
        updateComputer();
        if (!computer_->ownsTurn(match)) {
            keepPick(*this, held);
        }
    }
    // The computer's side is not the player's to move, so clicks wait for their turn.
    if (computer_ && computer_->ownsTurn(match)) {
        clickWhileWaiting(*this, computer_->side() == 0 ? 1 : 0);
    } else {
        clickToMove(*this);
    }
}

}  // namespace ixo
