#include <utility>

#include "game/game_scene.h"

namespace ixo {

namespace {

// Under the simple rules a game without a king has nothing left to play, so no clock runs on.
bool kingMissing(const Board& board) {
    int kings = 0;
    for (int row = 0; row < kBoardSize; ++row) {
        for (int column = 0; column < kBoardSize; ++column) {
            kings += board.cellAt(column, row).piece == King;
        }
    }
    return kings < 2;
}

}  // namespace

std::size_t GameScene::plyCount() const {
    return rules == RuleSet::Standard ? standard.ply() : history.position();
}

bool GameScene::gameOver() const {
    if (rules == RuleSet::Standard) {
        return standard.outcome().over();
    }
    return kingMissing(board);
}

void GameScene::setTimeControl(const TimeControl& control) {
    clock_ = GameClock(control);
    rebuildClock();
}

void GameScene::seedMoveTimes(std::vector<MoveTime> times) {
    moveTimes_ = std::move(times);
    moveTimes_.resize(plyCount());
    takenBackTimes_.clear();
    rebuildClock();
    clockWaiting_ = true;
}

void GameScene::rebuildClock() {
    const std::int64_t now = nowMs();
    const int toMove = turn != 0 ? 1 : 0;
    // The sides alternate ply by ply, so the count of moves says who made the first.
    const int firstMover = static_cast<int>((toMove + moveTimes_.size()) % 2);
    GameClock rebuilt(clock_.control());
    rebuilt.start(firstMover, now);
    for (MoveTime& time : moveTimes_) {
        time = rebuilt.charge(time.usedMs, now);
    }
    if (gameOver()) {
        rebuilt.pause(now);
    }
    clock_ = rebuilt;
    clockWaiting_ = false;
}

void GameScene::keepTime(MoveEvent event) {
    if (clockWaiting_) {
        rebuildClock();
    }
    switch (event) {
        case MoveEvent::Played: {
            // A move made after take-backs replaces the ones that could have been replayed.
            const std::size_t before = plyCount() > 0 ? plyCount() - 1 : 0;
            moveTimes_.resize(before);
            takenBackTimes_.clear();
            moveTimes_.push_back(clock_.moveMade(nowMs()));
            if (gameOver()) {
                clock_.pause(nowMs());
            }
            break;
        }
        case MoveEvent::TakenBack:
            if (!moveTimes_.empty()) {
                takenBackTimes_.push_back(moveTimes_.back());
                moveTimes_.pop_back();
            }
            rebuildClock();
            break;
        case MoveEvent::Replayed:
            // The replayed move is the same move, made in the time it took the first time.
            if (takenBackTimes_.empty()) {
                moveTimes_.push_back(MoveTime{});
            } else {
                moveTimes_.push_back(takenBackTimes_.back());
                takenBackTimes_.pop_back();
            }
            rebuildClock();
            break;
        case MoveEvent::Ended:
            // An ending stops the clocks; an ending taken back sets them going again.
            if (gameOver()) {
                clock_.pause(nowMs());
            } else {
                rebuildClock();
            }
            break;
    }
}

}  // namespace ixo
