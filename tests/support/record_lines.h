#pragma once

#include <string>
#include <vector>

#include "record/game_tree.h"
#include "record/kif_writer.h"
#include "shogi/move.h"
#include "shogi/position.h"

namespace ixo::test {

// One line of moves from `start` under `rules` as a record, each move with its time where
// `times` has one: the record a game played that far here would keep.
inline GameRecord lineRecord(RuleSet rules, const std::vector<Move>& moves,
                             const Position& start = Position::start(),
                             const std::vector<MoveTime>& times = {}) {
    GameRecord record;
    record.rules = rules;
    record.start = start;
    RecordNode* at = &record.root();
    for (std::size_t ply = 0; ply < moves.size(); ++ply) {
        at = record.addMove(*at, moves[ply], GameRecord::Placement::MainLine);
        if (ply < times.size()) {
            at->time = times[ply];
            at->timed = true;
        }
    }
    return record;
}

// The moves of a record's main line, its ending left out.
inline std::vector<Move> mainLineMoves(const GameRecord& record) {
    return GameRecord::movesTo(record.mainLineEnd());
}

// The times of those moves, in the same order.
inline std::vector<MoveTime> mainLineTimes(const GameRecord& record) {
    std::vector<MoveTime> times;
    for (const RecordNode* node : GameRecord::path(record.mainLineEnd())) {
        if (!node->isRoot() && !node->isEnd()) {
            times.push_back(node->time);
        }
    }
    return times;
}

// The KIF text a game played here writes of `record`: the headers every such game has, and
// the sides named where a name is given (the computer's engine, say).
inline std::string kifPlayedHere(GameRecord record, const std::string& startTime,
                                 const std::string& blue = "", const std::string& red = "") {
    setGameHeaders(record, startTime);
    setPlayerName(record, 0, blue);
    setPlayerName(record, 1, red);
    return writeKifRecord(record);
}

}  // namespace ixo::test
