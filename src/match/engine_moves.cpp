#include "match/engine_moves.h"

#include "shogi/rule_set.h"
#include "shogi/standard_rules.h"

namespace ixo {

namespace {

std::string usiSquare(int column, int row) {
    return {static_cast<char>('9' - column), static_cast<char>('a' + row)};
}

// The simple rules' moves in the variant's USI: board moves only, '+' where the piece
// promoted (which the rules force).
std::string simpleUsiMove(const Move& move) {
    return usiSquare(move.fromColumn, move.fromRow) + usiSquare(move.toColumn, move.toRow) +
           (move.promoted ? "+" : "");
}

}  // namespace

EngineSetup setupForRules(EngineSetup setup, RuleSet rules) {
    if (rules != RuleSet::Standard) {
        if (setup.variantFile.empty()) {
            setup.variantFile = kSimpleRulesVariantFile;
        }
        setup.variantName = kSimpleRulesVariant;
    }
    return setup;
}

bool enginePosition(const Match& match, std::string& sfen, std::vector<std::string>& moves,
                    std::string& error) {
    moves.clear();
    if (match.rules() != RuleSet::Standard) {
        // The simple game always starts from the start position, which the variant shares.
        sfen = "startpos";
        for (const Move& move : match.played()) {
            moves.push_back(simpleUsiMove(move));
        }
        return true;
    }
    const Position& start = match.record().start;
    if (!validatePosition(start, error)) {
        return false;
    }
    for (const Move& move : match.played()) {
        moves.push_back(usiMove(requestOf(move)));
    }
    sfen = start == Position::start() ? "startpos" : toSfen(start);
    return true;
}

bool judgeEngineMove(const Match& match, const std::string& text, Move& move, Board* after) {
    Position position = match.position();
    MoveRequest request;
    if (!parseUsiMove(text, request) || !playMove(position, request, match.rules(), &move)) {
        return false;
    }
    // Under the simple rules the promotion is the rules' to decide, and an engine that marks
    // it anywhere else is playing another game; under the standard rules the two agree.
    if (move.promoted != request.promote) {
        return false;
    }
    if (after) {
        *after = position.board;
    }
    return true;
}

}  // namespace ixo
