#pragma once

#include <string>

#include "record/game_tree.h"
#include "record/kif.h"
#include "shogi/standard_rules.h"

namespace ixo {

class Match;

// The one place where a match's record becomes KIF text and KIF text becomes a record. The
// KIF writer and reader still speak in lists of moves, so for now one line of the tree is
// written (the path to the place the game stands, as the screen shows it) and a reading
// becomes a tree of one line; when they speak in trees, only this file changes.

// The path from the start to `upTo` (a node of `record`), its ending included, with each
// move's time. The record's headers are written again as an opened record's were.
std::string kifText(const GameRecord& record, const RecordNode& upTo, const std::string& startTime,
                    const KifPlayers& players = {});

// A reading that is ok() as a record: its rules, start, headers, moves with their times, and
// an ending that came without a move (a mate or a repetition the rules find again).
GameRecord recordOf(const KifReading& reading);

// A standard game as a record of one line, its ending without a move included.
GameRecord recordOf(const StandardGame& game, const std::vector<MoveTime>& times = {});

// The standard game that leads to where `match` stands, its ending included, as the writer
// of a list of moves takes it. The ending is the match's own judgement, so a failed
// declaration stays one rather than becoming the foul its record line names.
StandardGame standardGameOf(const Match& match);

}  // namespace ixo
