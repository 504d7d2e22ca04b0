#include "match/server_record.h"

#include "shogi/handicaps.h"

namespace ixo {

namespace {

std::string duration(std::int64_t ms) {
    const std::int64_t seconds = ms / 1000;
    if (seconds > 0 && seconds % 60 == 0) {
        return std::to_string(seconds / 60) + "分";
    }
    return std::to_string(seconds) + "秒";
}

}  // namespace

std::string timeControlText(const CsaTimeControl& control) {
    std::string text = duration(control.totalMs);
    if (control.byoyomiMs > 0) {
        return text + "+" + std::to_string(control.byoyomiMs / 1000) + "秒";
    }
    if (control.incrementMs > 0) {
        return text + "+" + std::to_string(control.incrementMs / 1000) + "秒加算";
    }
    return text + "切れ負け";
}

GameRecord serverGameRecord(const GameSummary& summary, const std::string& startTime) {
    GameRecord record;
    record.rules = RuleSet::Standard;
    record.start = summary.start;
    record.handicap = handicapNameOf(summary.start);
    record.headers.push_back({"開始日時", startTime});
    if (!summary.gameId.empty()) {
        record.headers.push_back({"棋戦", summary.gameId});
    }
    const CsaTimeControl& blue = summary.time[0];
    const CsaTimeControl& red = summary.time[1];
    const bool same = blue.totalMs == red.totalMs && blue.byoyomiMs == red.byoyomiMs &&
                      blue.incrementMs == red.incrementMs;
    if (same && blue.limited()) {
        record.headers.push_back({"持ち時間", timeControlText(blue)});
    } else if (!same) {
        record.headers.push_back({"先手持ち時間", timeControlText(blue)});
        record.headers.push_back({"後手持ち時間", timeControlText(red)});
    }
    if (!record.handicap.empty()) {
        record.headers.push_back({"手合割", record.handicap});
    }
    // A handicap game names its sides 下手 and 上手, as its records always have.
    const bool handicapped = !record.handicap.empty() && record.handicap != kEvenGameName;
    record.headers.push_back({handicapped ? "下手" : "先手", summary.names[0]});
    record.headers.push_back({handicapped ? "上手" : "後手", summary.names[1]});
    return record;
}

LineEnd serverLineEnd(const CsaResult& result, int ourSide, int sideToMove) {
    // The winner the server names; -1 for none.
    const int winner = result.outcome == CsaOutcome::Win    ? ourSide
                       : result.outcome == CsaOutcome::Lose ? 1 - ourSide
                                                            : -1;
    const bool moverWins = winner == sideToMove;
    switch (result.reason) {
        case CsaReason::Resign:
            return LineEnd::Resignation;
        case CsaReason::TimeUp:
            return LineEnd::TimeUp;
        case CsaReason::IllegalMove:
        case CsaReason::OuteSennichite:
            return winner < 0 ? LineEnd::Interrupted
                              : (moverWins ? LineEnd::FoulWin : LineEnd::FoulLoss);
        case CsaReason::Sennichite:
            return LineEnd::Repetition;
        case CsaReason::Jishogi:
            // A declaration the server upheld is the declarer's win; one it did not, its loss.
            if (winner < 0) {
                return LineEnd::Impasse;
            }
            return moverWins ? LineEnd::ImpasseWin : LineEnd::FoulLoss;
        case CsaReason::MaxMoves:
            return LineEnd::MaxMoves;
        case CsaReason::Chudan:
        case CsaReason::None:
            break;
    }
    return LineEnd::Interrupted;
}

}  // namespace ixo
