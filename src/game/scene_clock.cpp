#include <algorithm>
#include <limits>
#include <utility>

#include "clock/clock_face.h"
#include "game/computer_opponent.h"
#include "game/game_scene.h"
#include "game/standard_controller.h"
#include "media/text.h"

namespace ixo {

std::size_t GameScene::plyCount() const {
    return match.ply();
}

bool GameScene::gameOver() const {
    return match.finished() || lostOnTime_ >= 0;
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
    if (gameOver() || paused_) {
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

void GameScene::startClocksAfresh() {
    paused_ = false;
    lostOnTime_ = -1;
    seedMoveTimes({});
}

int GameScene::msUntilClockChange() const {
    if (!showsClock() || clockWaiting_) {
        return -1;
    }
    const std::int64_t within = clock_.msUntilChange(nowMs());
    return static_cast<int>(std::min<std::int64_t>(within, std::numeric_limits<int>::max()));
}

void GameScene::togglePause() {
    // A finished game has no clock left to stop.
    if (!showsClock() || gameOver()) {
        return;
    }
    paused_ = !paused_;
    if (paused_) {
        clock_.pause(nowMs());
        // A piece picked up before the pause would be moved by the first click after it.
        selected.piece = -1;
        moveMap.clear();
        choosingPromotion = false;
        if (computer) {
            computer->pause(*this);
        }
    } else {
        clock_.resume(nowMs());
    }
}

void GameScene::judgeFlag() {
    if (!showsClock() || paused_ || gameOver()) {
        return;
    }
    const int side = clock_.outOfTime(nowMs());
    if (side < 0) {
        return;
    }
    if (rules() == RuleSet::Standard) {
        match.loseOnTime(side);
        settle(*this);
        notify(lastPlayed(match), MoveEvent::Ended);
        return;
    }
    lostOnTime_ = side;
    clock_.pause(nowMs());
    selected.piece = -1;
    moveMap.clear();
}

bool GameScene::takeBackFlagFall() {
    if (lostOnTime_ < 0) {
        return false;
    }
    lostOnTime_ = -1;
    rebuildClock();
    return true;
}

void GameScene::describeClocks(FrameState& frame) const {
    frame.clockLines = {};
    frame.clockRunning = -1;
    if (!showsClock()) {
        return;
    }
    const std::int64_t now = nowMs();
    for (int side = 0; side < 2; ++side) {
        const std::array<std::string, 2> face = clockFace(clock_.control(), clock_.left(side, now));
        frame.clockLines[2 * side] = face[0];
        frame.clockLines[2 * side + 1] = face[1];
    }
    if (!paused_ && !gameOver() && !clockWaiting_) {
        frame.clockRunning = clock_.sideToMove();
    }
}

void GameScene::drawClocks() const {
    const FrameState& shown = lastFrame_;
    if (shown.clockLines[0].empty()) {
        return;
    }
    // Left of the board, each side's clock at its own end of it: Red's above its hand, Blue's
    // beside its back rank, where neither rule set draws anything.
    constexpr int kClockLeft = 4;
    constexpr int kLineGap = 20;
    constexpr int kClockTop[2] = {496, 2};
    for (int side = 0; side < 2; ++side) {
        const int top = kClockTop[side];
        drawText(screen, kClockLeft, top, "%s", shown.clockLines[2 * side].c_str());
        drawText(screen, kClockLeft, top + kLineGap, "%s", shown.clockLines[2 * side + 1].c_str());
        if (shown.clockRunning == side) {
            // The clock that runs is underlined, in the panel's light grey.
            SDL_Rect bar{static_cast<Sint16>(kClockLeft), static_cast<Sint16>(top + 2 * kLineGap),
                         52, 2};
            SDL_FillRect(screen, &bar, SDL_MapRGB(screen->format, 0xd8, 0xd8, 0xd0));
        }
    }
}

}  // namespace ixo
