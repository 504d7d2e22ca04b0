#include "engine/usi_commands.h"

#include <algorithm>

namespace ixo {

std::int64_t GoTimes::moverBudgetMs() const {
    const std::int64_t main = moverSide == 0 ? blueMs : redMs;
    const std::int64_t increment = moverSide == 0 ? blueIncrementMs : redIncrementMs;
    return std::max<std::int64_t>(main, 0) + std::max<std::int64_t>(byoyomiMs, 0) +
           std::max<std::int64_t>(increment, 0);
}

std::string positionCommand(const std::string& sfen, const std::vector<std::string>& moves) {
    std::string command =
        sfen.empty() || sfen == "startpos" ? "position startpos" : "position sfen " + sfen;
    if (!moves.empty()) {
        command += " moves";
        for (const std::string& move : moves) {
            command += ' ';
            command += move;
        }
    }
    return command;
}

std::string goCommand(const GoTimes& times, bool takesIncrement) {
    const auto nonNegative = [](std::int64_t ms) {
        return std::to_string(std::max<std::int64_t>(ms, 0));
    };
    std::string command =
        "go btime " + nonNegative(times.blueMs) + " wtime " + nonNegative(times.redMs);
    const bool increment = times.blueIncrementMs > 0 || times.redIncrementMs > 0;
    if (increment && takesIncrement) {
        command += " binc " + nonNegative(times.blueIncrementMs) + " winc " +
                   nonNegative(times.redIncrementMs);
    } else if (!increment) {
        command += " byoyomi " + nonNegative(times.byoyomiMs);
    }
    return command;
}

LevelSettings levelSettings(int level) {
    // Skill Level below 0 is fairy-stockfish's own weakening for beginners; the top levels
    // get more time, where time still buys strength.
    static constexpr LevelSettings kLevels[kMaxLevel] = {
        {-20, 100}, {-15, 150}, {-10, 200}, {-5, 300},  {0, 500},
        {5, 700},   {10, 1000}, {15, 1500}, {20, 2000}, {20, 4000},
    };
    const int index = std::clamp(level, kMinLevel, kMaxLevel) - kMinLevel;
    return kLevels[index];
}

}  // namespace ixo
