#pragma once

#include <ctime>
#include <string>
#include <vector>

#include "record/game_tree.h"
#include "record/record_store.h"
#include "shogi/rule_set.h"

namespace ixo {

// The game the command line asks for: the rules it was played under, the whole record read
// (variations and comments included) for the game to go on in, and where its record goes.
struct OpenedGame {
    RuleSet rules = RuleSet::Simple;
    GameRecord record;
    // What the reader left out or found unusual, each "LINE: what".
    std::vector<std::string> warnings;
    std::string recordPath;  // empty: a new record in the games folder
    std::time_t startTime = 0;
};

// Reads the record that --continue or FILE names. On false `error` is the one line to print,
// "FILE:LINE: reason" or "FILE: reason", and nothing has been written anywhere.
bool openGame(bool continueLast, const std::string& file, const GamesFolder& folder,
              std::time_t now, OpenedGame& game, std::string& error);

}  // namespace ixo
