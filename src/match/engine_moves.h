#pragma once

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

#include "engine/usi_engine.h"
#include "match/match.h"
#include "shogi/move.h"

namespace ixo {

// The game as an engine is told it and the engine's answer as a move of this game, for the
// computer opponent and the hint alike, so both say the same to an engine and believe the
// same of what it sends.

// The engines' deadlines run on a clock that never steps back, whatever the wall clock does.
inline std::int64_t steadyMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// Milliseconds from now until an engine's `deadline` (steadyMs time), none below 0; -1 for
// none at all.
inline int msUntil(std::int64_t deadline) {
    return deadline < 0 ? -1 : static_cast<int>(std::max<std::int64_t>(0, deadline - steadyMs()));
}

// `setup` for a game under `rules`: the simple rules are played as the variant, from the
// definition `setup` names (the tests') or else the shipped one.
EngineSetup setupForRules(EngineSetup setup, RuleSet rules);

// The start ("startpos" or an SFEN) and the moves since, in USI. False, with `error`, for a
// set-up position that an engine would abort on (gpsusi does), which must not be sent.
bool enginePosition(const Match& match, std::string& sfen, std::vector<std::string>& moves,
                    std::string& error);

// `text` as a move for the side to move, judged by our rules on the position as it stands,
// without playing it. Under the simple rules `after` (when given) gets the board the move
// leads to, and the '+' must stand exactly where the rules force the promotion.
bool judgeEngineMove(const Match& match, const std::string& text, Move& move,
                     Board* after = nullptr);

}  // namespace ixo
