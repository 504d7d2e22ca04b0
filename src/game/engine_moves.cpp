#include "game/engine_moves.h"

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

bool enginePosition(const GameScene& scene, std::string& sfen, std::vector<std::string>& moves,
                    std::string& error) {
    moves.clear();
    if (scene.rules != RuleSet::Standard) {
        // The simple game always starts from the start position, which the variant shares.
        sfen = "startpos";
        for (const Move& move : scene.history.played()) {
            moves.push_back(simpleUsiMove(move));
        }
        return true;
    }
    const StandardGame& game = scene.standard;
    if (!validatePosition(game.startPosition(), error)) {
        return false;
    }
    for (const Move& move : game.played()) {
        moves.push_back(usiMove(requestOf(move)));
    }
    sfen = game.startPosition() == Position::start() ? "startpos" : toSfen(game.startPosition());
    return true;
}

bool judgeEngineMove(const GameScene& scene, const std::string& text, Move& move, Board* after) {
    if (scene.rules == RuleSet::Standard) {
        MoveRequest request;
        Position position = scene.standard.position();
        return parseUsiMove(text, request) && playStandardMove(position, request, &move);
    }
    const bool shaped = (text.size() == 4 || (text.size() == 5 && text[4] == '+')) &&
                        text[0] >= '1' && text[0] <= '9' && text[2] >= '1' && text[2] <= '9' &&
                        text[1] >= 'a' && text[1] <= 'i' && text[3] >= 'a' && text[3] <= 'i';
    Board board = scene.board;
    if (!shaped ||
        !playMove(board, scene.turn == 0 ? 0 : 1, '9' - text[0], text[1] - 'a', '9' - text[2],
                  text[3] - 'a', &move) ||
        move.promoted != (text.size() == 5)) {
        return false;
    }
    if (after) {
        *after = board;
    }
    return true;
}

}  // namespace ixo
