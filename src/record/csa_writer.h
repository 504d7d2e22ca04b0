#pragma once

#include <string>
#include <vector>

#include "record/game_tree.h"

namespace ixo {

// Writes a standard game's main line as a CSA record, version 2.2, as most readers take it
// (UTF-8 text; the caller encodes it, Shift_JIS by the version's rule, and says so in a first
// comment line):
//   - "V2.2", N+ and N- from 先手 or 下手 and 後手 or 上手, then each other header as a $ line
//     under its CSA key (csa_reader.h), or under its own key when CSA has none;
//   - the root's comments as "'*" lines;
//   - the start as PI (the even game, or the handicap's missing pieces) or as nine rows with
//     P+ and P- hands, then the side to move;
//   - each move with ",T" and its whole seconds when the record timed it, its comments as "'*"
//     lines and its evaluation as floodgate's "'** SCORE PV";
//   - the ending as its % word (csaEndWord) with its time.
// CSA has no variations: when the tree holds any, `warnings` says they were left out. An
// ending CSA has no word for is written as a comment, with a warning. False, with `error`,
// for a record of the simple rules, which CSA readers would replay as standard shogi.
bool writeCsaRecord(const GameRecord& record, std::string& text, std::string& error,
                    std::vector<std::string>& warnings);

}  // namespace ixo
