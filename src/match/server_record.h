#pragma once

#include <string>

#include "net/csa_client.h"
#include "net/game_summary.h"
#include "record/game_tree.h"

namespace ixo {

// What a game played on a server leaves in its record, so that it reads like any other
// game's: who played, which game on which server it was, and how the server ended it.

// A record opened from the server's offer: its start (the handicap it names, or the position
// as a diagram), both players' names, the game's ID as the event, as floodgate's own records
// give it, and the time control. The moves already played come after, through the rules.
GameRecord serverGameRecord(const GameSummary& summary, const std::string& startTime);

// The time control as KIF's 持ち時間 gives it: "10分+30秒" with byoyomi, "3分+2秒加算" with an
// increment, "10分切れ負け" with neither, and seconds where minutes would not be whole.
std::string timeControlText(const CsaTimeControl& control);

// The line end for the server's result, on the turn of `sideToMove` when it came. A fault
// before any result (a dropped connection, a silent server) is LineEnd::Interrupted, 中断.
LineEnd serverLineEnd(const CsaResult& result, int ourSide, int sideToMove);

}  // namespace ixo
