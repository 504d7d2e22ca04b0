#include <algorithm>
#include <limits>
#include <utility>

#include "clock/clock_face.h"
#include "game/computer_opponent.h"
#include "game/game_scene.h"
#include "game/play_style.h"
#include "game/turn_controller.h"
#include "media/text.h"

namespace ixo {

bool GameScene::gameOver() const {
    return match.finished();
}

int GameScene::lostOnTime() const {
    // A rule set with endings says so in its banner; without, only the notice line does.
    const Outcome& outcome = match.outcome();
    if (playStyle(rules()).endings || outcome.how != GameEnd::TimeUp) {
        return -1;
    }
    return 1 - outcome.winner;
}

void GameScene::setTimeControl(const TimeControl& control) {
    match.setTimeControl(control);
}

std::vector<MoveTime> GameScene::moveTimes() const {
    std::vector<MoveTime> times;
    for (const RecordNode* node : GameRecord::path(match.current())) {
        if (!node->isRoot() && !node->isEnd()) {
            times.push_back(node->time);
        }
    }
    return times;
}

int GameScene::msUntilClockChange() const {
    if (!showsClock() || clockWaiting_) {
        return -1;
    }
    const std::int64_t within = clock().msUntilChange(nowMs());
    return static_cast<int>(std::min<std::int64_t>(within, std::numeric_limits<int>::max()));
}

void GameScene::togglePause() {
    if (!match.togglePause() || !match.paused()) {
        return;
    }
    // A piece picked up before the pause would be moved by the first click after it.
    settle(*this);
    if (computer) {
        computer->pause(*this);
    }
}

void GameScene::judgeFlag() {
    if (!match.judgeFlag()) {
        return;
    }
    settle(*this);
    tellEnding(*this);
}

void GameScene::describeClocks(FrameState& frame) const {
    frame.clockLines = {};
    frame.clockRunning = -1;
    if (!showsClock()) {
        return;
    }
    const std::int64_t now = nowMs();
    const GameClock& clock = match.clock();
    for (int side = 0; side < 2; ++side) {
        const std::array<std::string, 2> face = clockFace(clock.control(), clock.left(side, now));
        frame.clockLines[2 * side] = face[0];
        frame.clockLines[2 * side + 1] = face[1];
    }
    if (!paused() && !gameOver() && !clockWaiting_) {
        frame.clockRunning = clock.sideToMove();
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
