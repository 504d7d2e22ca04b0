#include "analysis/engine_line.h"

#include "record/replay.h"
#include "shogi/notation.h"
#include "shogi/standard_rules.h"

namespace ixo {

namespace {

std::string usiSquare(int column, int row) {
    return {static_cast<char>('9' - column), static_cast<char>('a' + row)};
}

bool isUsiSquare(char file, char rank) {
    return file >= '1' && file <= '9' && rank >= 'a' && rank <= 'i';
}

bool playSimpleMove(Position& position, const std::string& text, Move& made) {
    const bool shaped = (text.size() == 4 || (text.size() == 5 && text[4] == '+')) &&
                        isUsiSquare(text[0], text[1]) && isUsiSquare(text[2], text[3]);
    if (!shaped) {
        return false;
    }
    Board board = position.board;
    Move move;
    if (!playMove(board, position.sideToMove, '9' - text[0], text[1] - 'a', '9' - text[2],
                  text[3] - 'a', &move) ||
        move.promoted != (text.size() == 5)) {
        return false;
    }
    position.board = board;
    position.sideToMove = 1 - position.sideToMove;
    made = move;
    return true;
}

}  // namespace

std::string markedMoveText(const Move& move, const Move* previous) {
    return (move.owner == 0 ? "▲" : "△") + kifMoveText(move, previous);
}

std::string engineMoveText(RuleSet rules, const Move& move) {
    if (rules == RuleSet::Standard) {
        return usiMove(requestOf(move));
    }
    return usiSquare(move.fromColumn, move.fromRow) + usiSquare(move.toColumn, move.toRow) +
           (move.promoted ? "+" : "");
}

bool playEngineMove(RuleSet rules, Position& position, const std::string& text, Move& made) {
    if (rules != RuleSet::Standard) {
        return !sideToMoveHasLost(rules, position) && playSimpleMove(position, text, made);
    }
    MoveRequest request;
    return parseUsiMove(text, request) && playStandardMove(position, request, &made);
}

std::string lineText(RuleSet rules, Position position, const std::vector<std::string>& line,
                     int* refusedAt) {
    std::string text;
    Move last;
    bool hasLast = false;
    if (refusedAt) {
        *refusedAt = -1;
    }
    for (std::size_t index = 0; index < line.size(); ++index) {
        Move made;
        if (!playEngineMove(rules, position, line[index], made)) {
            if (refusedAt) {
                *refusedAt = static_cast<int>(index);
            }
            break;
        }
        text += markedMoveText(made, hasLast ? &last : nullptr);
        last = made;
        hasLast = true;
    }
    return text;
}

bool engineStartOf(const GameRecord& record, const RecordNode& node, std::string& sfen,
                   std::vector<std::string>& moves, std::string& error) {
    moves.clear();
    for (const Move& move : GameRecord::movesTo(node)) {
        moves.push_back(engineMoveText(record.rules, move));
    }
    if (record.rules != RuleSet::Standard) {
        // The simple game always starts from the start position, which the variant shares.
        sfen = "startpos";
        return true;
    }
    if (!validatePosition(record.start, error)) {
        return false;
    }
    sfen = record.start == Position::start() ? "startpos" : toSfen(record.start);
    return true;
}

bool sideToMoveHasLost(RuleSet rules, const Position& position) {
    if (rules == RuleSet::Standard) {
        return !hasLegalMove(position);
    }
    for (const Cell& cell : position.board.cells) {
        if (cell.piece == King && cell.owner == position.sideToMove) {
            return false;
        }
    }
    return true;
}

}  // namespace ixo
