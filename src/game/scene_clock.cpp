#include <algorithm>
#include <limits>
#include <utility>

#include "clock/clock_face.h"
#include "game/game_scene.h"
#include "game/play_style.h"
#include "game/turn_controller.h"
#include "match/computer_opponent.h"
#include "match/server_player.h"
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
    if (server) {
        const std::int64_t within = server->msUntilClockChange(nowMs());
        return static_cast<int>(std::min<std::int64_t>(within, std::numeric_limits<int>::max()));
    }
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
    if (computer_) {
        computer_->pause();
        computerNotice_.show(computer_->notice(), notice);
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
    frame.names = {};
    if (server) {
        // The server's clocks, as it charges them: ours would only measure.
        if (server->ourSide() >= 0) {
            frame.names = server->names();
        }
        if (!server->showsClock()) {
            return;
        }
        for (int side = 0; side < 2; ++side) {
            const std::array<std::string, 2> face =
                clockFace(server->control(side), server->left(side, nowMs()));
            frame.clockLines[2 * side] = face[0];
            frame.clockLines[2 * side + 1] = face[1];
        }
        frame.clockRunning = server->clockRunning();
        return;
    }
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

namespace {

// Left of the board, each side's clock at its own end of it: Red's above its hand, Blue's
// beside its back rank, where neither rule set draws anything.
constexpr int kClockLeft = 4;
constexpr int kLineGap = 20;
constexpr int kClockTop[2] = {496, 2};
// Two lines of text and the bar under them, up to the board's left edge.
constexpr Uint16 kClockWidth = 64;
constexpr Uint16 kClockHeight = 54;

}  // namespace

std::array<SDL_Rect, 2> GameScene::clockAreas() {
    return {SDL_Rect{0, kClockTop[0], kClockWidth, kClockHeight},
            SDL_Rect{0, kClockTop[1], kClockWidth, kClockHeight}};
}

void GameScene::drawClocks() const {
    const FrameState& shown = lastFrame_;
    if (shown.clockLines[0].empty()) {
        return;
    }
    for (int side = 0; side < 2; ++side) {
        const int top = kClockTop[shownSide(side)];
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

void GameScene::drawNames() const {
    const FrameState& shown = lastFrame_;
    // In the side panel under the turn's label, where nothing else is drawn but the portrait
    // of a selected piece, which covers them meanwhile; cut to what fits before the edge.
    constexpr std::size_t kNameColumns = 19;
    constexpr int kNameLeft = 606;
    constexpr int kNameTop[2] = {100, 130};
    for (int side = 0; side < 2; ++side) {
        if (shown.names[side].empty()) {
            continue;
        }
        std::string line = std::string(side == 0 ? "Blue: " : "Red: ") + shown.names[side];
        if (line.size() > kNameColumns) {
            line = line.substr(0, kNameColumns - 2) + "..";
        }
        drawText(screen, kNameLeft, kNameTop[side], "%s", line.c_str());
    }
}

}  // namespace ixo
