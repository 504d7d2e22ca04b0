#include "match/match.h"

#include <algorithm>
#include <chrono>
#include <utility>

namespace ixo {

namespace {

std::int64_t steadyMs() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

}  // namespace

Match::Match(RuleSet rules, Now now, TimeControl control)
    : now_(now ? std::move(now) : Now(&steadyMs)), clock_(control) {
    record_.rules = rules;
    std::string unused;
    standAt(record_.root(), &unused);
    restartClock();
}

bool Match::load(GameRecord record, std::string& error) {
    Match loaded(record.rules, now_, clock_.control());
    loaded.outsideJudge_ = outsideJudge_;
    loaded.record_ = std::move(record);
    RecordNode* end = &loaded.record_.mainLineEnd();
    if (end->isEnd() && end->end == LineEnd::Interrupted) {
        end = end->parent;
    }
    if (!loaded.standAt(*end, &error)) {
        return false;
    }
    record_ = std::move(loaded.record_);
    // The nodes moved with the record's tree, so the place in it is still good.
    current_ = loaded.current_;
    position_ = loaded.position_;
    outcome_ = loaded.outcome_;
    keys_ = std::move(loaded.keys_);
    gaveCheck_ = std::move(loaded.gaveCheck_);
    endings_.clear();
    paused_ = false;
    restartClock();
    // Another record is another game to whoever watches: a search or a file of the old
    // one has nothing to do with it.
    notify(MatchEvent::NewGame, lastMove() ? *lastMove() : Move{});
    return true;
}

bool Match::finished() const {
    if (outcome_.over()) {
        return true;
    }
    if (record_.rules == RuleSet::Standard) {
        return false;
    }
    int kings = 0;
    for (const Cell& cell : position_.board.cells) {
        kings += cell.piece == King;
    }
    return kings < 2;
}

const Move* Match::lastMove() const {
    const RecordNode* node = current_;
    while (node && (node->isEnd() || node->isRoot())) {
        if (node->isRoot()) {
            return nullptr;
        }
        node = node->parent;
    }
    return node ? &node->move : nullptr;
}

Refusal Match::play(const MoveRequest& request, Move* made) {
    if (outcome_.over() || current_->isEnd()) {
        return Refusal::GameOver;
    }
    Position next = position_;
    Move move;
    Refusal why = Refusal::None;
    if (!playMove(next, request, record_.rules, &move, &why)) {
        return why;
    }
    const std::int64_t now = now_();
    position_ = next;
    RecordNode* node = record_.addMove(*current_, move, placement_);
    // Played again after a take-back, the move costs what it cost now, not what it did then.
    node->time = clock_.moveMade(now);
    node->timed = true;
    current_ = node;
    keys_.push_back(positionKey(position_));
    gaveCheck_.push_back(record_.rules == RuleSet::Standard &&
                         inCheck(position_, position_.sideToMove));
    judge();
    if (finished()) {
        clock_.pause(now);
    }
    if (made) {
        *made = move;
    }
    notify(MatchEvent::Played, move);
    return Refusal::None;
}

bool Match::takeBack() {
    if (current_->isRoot()) {
        return false;
    }
    RecordNode* undone = current_;
    current_ = undone->parent;
    if (undone->isEnd()) {
        // An ending without a move goes on its own: a player who resigned by mistake gets the
        // position back, not the one before it.
        judge();
        restartClock();
        notify(MatchEvent::Ended, lastMove() ? *lastMove() : Move{});
        return true;
    }
    takeBackMove(position_, undone->move, record_.rules);
    keys_.pop_back();
    gaveCheck_.pop_back();
    judge();
    restartClock();
    notify(MatchEvent::TakenBack, undone->move);
    return true;
}

bool Match::replay() {
    RecordNode* next = current_->mainChild();
    if (!next) {
        return false;
    }
    if (next->isEnd()) {
        current_ = next;
        judge();
        clock_.pause(now_());
        notify(MatchEvent::Ended, lastMove() ? *lastMove() : Move{});
        return true;
    }
    // Through the rules rather than by writing the squares back, so a record changed behind
    // the match's back can never put a move on a board where it is not legal.
    Position replayed = position_;
    Move made;
    if (!playMove(replayed, requestOf(next->move), record_.rules, &made) || made != next->move) {
        return false;
    }
    position_ = replayed;
    current_ = next;
    keys_.push_back(positionKey(position_));
    gaveCheck_.push_back(record_.rules == RuleSet::Standard &&
                         inCheck(position_, position_.sideToMove));
    judge();
    restartClock();
    notify(MatchEvent::Replayed, next->move);
    return true;
}

bool Match::endHere(LineEnd end, Outcome outcome) {
    if (outcome_.over() || current_->isEnd()) {
        return false;
    }
    addEnding(end, outcome);
    return true;
}

void Match::addEnding(LineEnd end, const Outcome& outcome) {
    RecordNode* node = current_;
    if (!node->isEnd()) {
        node = record_.addEnd(*current_, end, placement_);
        node->time = MoveTime{};
        node->timed = false;
    }
    node->end = end;
    endings_[node] = outcome;
    current_ = node;
    outcome_ = outcome;
    clock_.pause(now_());
    notify(MatchEvent::Ended, lastMove() ? *lastMove() : Move{});
}

bool Match::resign() {
    const int side = position_.sideToMove;
    return endHere(LineEnd::Resignation, Outcome{GameEnd::Resignation, 1 - side});
}

bool Match::declareImpasse() {
    const int side = position_.sideToMove;
    if (impasseDeclarationWins(position_)) {
        return endHere(LineEnd::ImpasseWin, Outcome{GameEnd::Impasse, side});
    }
    // A declaration that fails is a foul by the declarer, as other programs write it.
    return endHere(LineEnd::FoulLoss, Outcome{GameEnd::FailedImpasse, 1 - side});
}

bool Match::loseByFoul(int side) {
    const LineEnd end = side == position_.sideToMove ? LineEnd::FoulLoss : LineEnd::FoulWin;
    return endHere(end, Outcome{GameEnd::IllegalMove, 1 - side});
}

bool Match::loseOnTime(int side) {
    return endHere(LineEnd::TimeUp, Outcome{GameEnd::TimeUp, 1 - side});
}

void Match::recordEnding(LineEnd end, const Outcome& outcome) {
    addEnding(end, outcome);
}

bool Match::chargeLastMove(std::int64_t usedMs) {
    if (current_->isRoot() || current_->isEnd() || usedMs < 0) {
        return false;
    }
    const bool changed = current_->time.usedMs != usedMs;
    current_->time.usedMs = usedMs;
    // The totals after it follow from the moves' own times.
    restartClock();
    // The record keeper took its copy when the move was played; the charge is news to it.
    if (changed) {
        annotated();
    }
    return true;
}

void Match::setOutsideJudge(bool outside) {
    outsideJudge_ = outside;
    judge();
}

bool Match::goTo(const RecordNode& node) {
    // Only a node of this record: one from elsewhere has no path from this root.
    const RecordNode* top = &node;
    while (top->parent) {
        top = top->parent;
    }
    if (top != &record_.root()) {
        return false;
    }
    if (!walkTo(const_cast<RecordNode&>(node))) {
        return false;
    }
    restartClock();
    if (outcome_.over()) {
        clock_.pause(now_());
    }
    notify(MatchEvent::Moved, lastMove() ? *lastMove() : Move{});
    return true;
}

void Match::newGame() {
    GameRecord fresh;
    fresh.rules = record_.rules;
    record_ = std::move(fresh);
    placement_ = GameRecord::Placement::MainLine;
    endings_.clear();
    std::string unused;
    standAt(record_.root(), &unused);
    paused_ = false;
    restartClock();
    notify(MatchEvent::NewGame, Move{});
}

void Match::setTimeControl(const TimeControl& control) {
    clock_ = GameClock(control);
    restartClock();
}

bool Match::togglePause() {
    // Without a time control there is no clock on screen for P to stop.
    return clock_.control().limited() && hold(!paused_);
}

bool Match::hold(bool stopped) {
    // A finished game has no clock left to stop.
    if (finished() || stopped == paused_) {
        return false;
    }
    paused_ = stopped;
    if (paused_) {
        clock_.pause(now_());
    } else {
        clock_.resume(now_());
    }
    return true;
}

void Match::restartClock() {
    const std::int64_t now = now_();
    std::vector<RecordNode*> path;
    for (RecordNode* node = current_; node && !node->isRoot(); node = node->parent) {
        if (!node->isEnd()) {
            path.push_back(node);
        }
    }
    std::reverse(path.begin(), path.end());
    GameClock rebuilt(clock_.control());
    rebuilt.start(record_.start.sideToMove, now);
    // The totals on the nodes follow from the moves' own times, so they are written again.
    for (RecordNode* node : path) {
        node->time = rebuilt.charge(node->time.usedMs, now);
    }
    if (finished() || paused_) {
        rebuilt.pause(now);
    }
    clock_ = rebuilt;
}

bool Match::judgeFlag() {
    if (!clock_.control().limited() || paused_ || finished()) {
        return false;
    }
    const int side = clock_.outOfTime(now_());
    return side >= 0 && loseOnTime(side);
}

void Match::removeObserver(MatchObserver* observer) {
    observers_.erase(std::remove(observers_.begin(), observers_.end(), observer), observers_.end());
}

void Match::notify(MatchEvent event, const Move& move) {
    // A copy: an observer may add or remove observers while it is told.
    const std::vector<MatchObserver*> told = observers_;
    for (MatchObserver* observer : told) {
        observer->onMatchEvent(*this, event, move);
    }
}

Outcome Match::outcomeOfEnd(const RecordNode& node) const {
    auto known = endings_.find(&node);
    if (known != endings_.end()) {
        return known->second;
    }
    // As a record line says it: each names the result for the side to move.
    const int side = position_.sideToMove;
    switch (node.end) {
        case LineEnd::Checkmate:
            return Outcome{GameEnd::Checkmate, 1 - side};
        case LineEnd::Resignation:
        case LineEnd::LossByDefault:
            return Outcome{GameEnd::Resignation, 1 - side};
        case LineEnd::TimeUp:
            return Outcome{GameEnd::TimeUp, 1 - side};
        case LineEnd::FoulLoss:
            return Outcome{GameEnd::IllegalMove, 1 - side};
        case LineEnd::FoulWin:
            return Outcome{GameEnd::IllegalMove, side};
        case LineEnd::ImpasseWin:
        case LineEnd::WinByDefault:
            return Outcome{GameEnd::Impasse, side};
        case LineEnd::Repetition:
            return Outcome{GameEnd::Repetition, -1};
        case LineEnd::Impasse:  // 持将棋 as a draw
            return Outcome{GameEnd::Impasse, -1};
        // None of these has a result the game can show as its own ending: an agreed draw, the
        // server's move limit, an error or a take-back request ends the line and no more.
        case LineEnd::Draw:
        case LineEnd::MaxMoves:
        case LineEnd::Error:
        case LineEnd::TakeBack:
        case LineEnd::Interrupted:
        case LineEnd::NoMate:
        case LineEnd::None:
            break;
    }
    // An interruption ends the line without a result; the game is not over, but nothing
    // follows it on this line.
    return Outcome{};
}

void Match::judge() {
    outcome_ = Outcome{};
    if (current_->isEnd()) {
        outcome_ = outcomeOfEnd(*current_);
        return;
    }
    if (record_.rules != RuleSet::Standard || outsideJudge_) {
        return;  // the simple rules know no mate and no repetition
    }
    if (!hasLegalMove(position_)) {
        // In check that is mate; out of check the rules know no pass, so it loses all the same.
        outcome_ = Outcome{GameEnd::Checkmate, 1 - position_.sideToMove};
        return;
    }
    outcome_ = repetitionOutcome(keys_, gaveCheck_, record_.start.sideToMove);
}

bool Match::walkTo(RecordNode& target) {
    // Back to where the two paths meet and down the other one: a review jumping between
    // neighbouring lines replays a few moves, not the whole game.
    std::vector<RecordNode*> down;
    RecordNode* up = current_;
    RecordNode* meet = &target;
    while (up->ply > meet->ply) {
        up = up->parent;
    }
    while (meet->ply > up->ply) {
        down.push_back(meet);
        meet = meet->parent;
    }
    while (up != meet) {
        up = up->parent;
        down.push_back(meet);
        meet = meet->parent;
    }
    RecordNode* const from = current_;
    for (RecordNode* node = current_; node != meet; node = node->parent) {
        if (!node->isEnd()) {
            takeBackMove(position_, node->move, record_.rules);
            keys_.pop_back();
            gaveCheck_.pop_back();
        }
    }
    for (auto step = down.rbegin(); step != down.rend(); ++step) {
        const RecordNode& node = **step;
        if (node.isEnd()) {
            continue;  // always the last of its line
        }
        Move made;
        if (!playMove(position_, requestOf(node.move), record_.rules, &made) || made != node.move) {
            // A record changed behind the match's back: stand where the match stood.
            standAt(*from, nullptr);
            return false;
        }
        keys_.push_back(positionKey(position_));
        gaveCheck_.push_back(record_.rules == RuleSet::Standard &&
                             inCheck(position_, position_.sideToMove));
    }
    current_ = &target;
    judge();
    return true;
}

bool Match::standAt(RecordNode& node, std::string* error) {
    std::vector<RecordNode*> path;
    for (RecordNode* step = &node; step && !step->isRoot(); step = step->parent) {
        path.push_back(step);
    }
    std::reverse(path.begin(), path.end());
    Position position = record_.start;
    std::vector<std::uint64_t> keys{positionKey(position)};
    std::vector<bool> gaveCheck;
    for (RecordNode* step : path) {
        if (step->isEnd()) {
            continue;  // always the last of its line
        }
        Move made;
        Refusal why = Refusal::None;
        if (!playMove(position, requestOf(step->move), record_.rules, &made, &why) ||
            made != step->move) {
            if (error) {
                *error = "move " + std::to_string(step->ply) + " cannot be played: " +
                         refusalText(why == Refusal::None ? Refusal::CannotMoveThere : why);
            }
            return false;
        }
        keys.push_back(positionKey(position));
        gaveCheck.push_back(record_.rules == RuleSet::Standard &&
                            inCheck(position, position.sideToMove));
    }
    current_ = &node;
    position_ = position;
    keys_ = std::move(keys);
    gaveCheck_ = std::move(gaveCheck);
    judge();
    return true;
}

}  // namespace ixo
