#pragma once

#include <string>
#include <vector>

#include "record/game_tree.h"
#include "record/kif_reader.h"
#include "record/kif_syntax.h"
#include "record/kif_writer.h"
#include "shogi/handicaps.h"
#include "shogi/move.h"
#include "shogi/notation.h"
#include "shogi/position.h"
#include "shogi/standard_rules.h"

namespace ixo {

// The game's first KIF interface, kept while its callers move to the tree: each entry below
// goes through readKifRecord and writeKifRecord, and adds nothing of its own but the
// conversion between a list of moves and a record's main line.

using KifHeader = RecordHeader;

// Who played each side, for 先手 and 後手 (下手 and 上手 where an opened handicap record
// named them so). An empty name leaves that side's line as it was: the opened record's own,
// or else Blue or Red.
struct KifPlayers {
    std::string blue;
    std::string red;
};

// A whole record of a simple-rules game from the start position, Blue moving first.
// `startTime` is "YYYY/MM/DD HH:MM:SS" in local time; `times[i]` is what ply i+1 cost.
std::string writeKif(const std::vector<Move>& moves, const std::string& startTime,
                     const std::vector<MoveTime>& times = {}, const KifPlayers& players = {});

// A whole record of a standard game: its start, the moves played, and its ending with the
// closing line. `kept` are header lines of the record the game was opened from, written again
// in their order; a player named in `players` takes the place of that side's kept line.
std::string writeStandardKif(const StandardGame& game, const std::string& startTime,
                             const std::vector<KifHeader>& kept = {},
                             const std::vector<MoveTime>& times = {},
                             const KifPlayers& players = {});

// The main line of a record as the game played it before it kept a tree.
struct KifReading {
    RuleSet rules = RuleSet::Simple;
    std::vector<Move> moves;
    std::vector<MoveTime> times;  // one for each of `moves`
    // Under the standard rules: the main line as a game, its ending read from the record.
    StandardGame standard;
    std::vector<KifHeader> headers;
    // What the record held that was left out or is unusual, "LINE: what" (RecordReading's).
    std::vector<std::string> warnings;
    int errorLine = 0;
    std::string error;

    bool ok() const { return error.empty(); }
};

KifReading readKif(const std::string& utf8Text);

// The main line of a tree as a standard game: its moves, and the ending the record closes
// it with where the rules could not see it for themselves (a resignation, a foul, time).
StandardGame mainLineGame(const GameRecord& record);

}  // namespace ixo
