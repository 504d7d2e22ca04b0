#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "shogi/move.h"
#include "shogi/move_map.h"
#include "shogi/position.h"

namespace ixo {

// Standard shogi on top of the one movement table and ray routine the simple rules use:
// pseudo-legal moves from the same table, then the legality the simple rules leave out.
// Everything works in screen squares and on Position, and knows nothing of the screen.

// Why a move a player asked for is not allowed. The scene shows refusalText() of it, so a
// beginner learns the rule rather than guessing.
enum class Refusal : std::uint8_t {
    None,
    NotYourPiece,       // no piece of the side to move there, or none of that kind in hand
    CannotMoveThere,    // the piece does not move like that (or the square is taken)
    LeavesKingInCheck,  // the mover's king would stand in check afterwards
    TwoPawns,           // a second unpromoted pawn of one side on a file (nifu)
    PawnDropMate,       // a pawn dropped to give mate (uchifuzume)
    DeadPiece,          // the piece could never move again from there (drop or non-promotion)
    BadPromotion,       // promotion asked where it is not possible
    GameOver,           // the game has ended; no move is accepted
};
// A short English line for the side panel: "That would leave your king in check".
const char* refusalText(Refusal why);

// What a click, a record line or an engine asks for. A drop has fromColumn == -1 and names
// the piece in `dropPiece`; a board move leaves dropPiece 0.
struct MoveRequest {
    int fromColumn = -1;
    int fromRow = -1;
    int dropPiece = Empty;
    int toColumn = 0;
    int toRow = 0;
    bool promote = false;

    bool isDrop() const { return fromColumn < 0; }
};

enum class Promotion : std::uint8_t { Impossible, Optional, Forced };
// Whether the piece on (fromColumn, fromRow) may, must or cannot promote going to (toColumn,
// toRow), for the side that owns it. Ignores whether the move itself is legal.
Promotion promotionFor(const Position& position, int fromColumn, int fromRow, int toColumn,
                       int toRow);

// Judges `request` for position.sideToMove; Refusal::None when it is a legal move.
Refusal judgeMove(const Position& position, const MoveRequest& request);

// Plays a legal request on `position` (capture to the mover's hand, unpromoted; the side to
// move passes). On a refusal nothing changes and `why` (if given) says why. `made` records the
// move so takeBackStandardMove can undo it exactly.
bool playStandardMove(Position& position, const MoveRequest& request, Move* made = nullptr,
                      Refusal* why = nullptr);
void takeBackStandardMove(Position& position, const Move& move);

// True when `side`'s king is attacked. A side with no king is never in check.
bool inCheck(const Position& position, int side);

// Every legal move of the side to move, promotions and non-promotions both where both are
// allowed. Written into `moves` (cleared first).
void legalMoves(const Position& position, std::vector<MoveRequest>& moves);
bool hasLegalMove(const Position& position);

// The screen squares the piece on (column, row), or a `dropPiece` from the mover's hand, may
// legally go to, as marks for the scene's highlights. Marks are in screen squares for both
// sides (unlike MoveMap::computeDestinations, which works in the mover's frame).
MoveMap legalDestinations(const Position& position, int column, int row);
MoveMap legalDrops(const Position& position, int dropPiece);

// USI move notation: "7g7f", "8h2b+", "P*5e". parseUsiMove checks the notation only.
std::string usiMove(const MoveRequest& request);
bool parseUsiMove(const std::string& text, MoveRequest& request);
MoveRequest requestOf(const Move& move);

// Whether a position could be played from: each side at most one king, the side not to move
// not in check, no two unpromoted pawns of a side on a file, no piece that can never move,
// no more pieces of a kind than a set holds. Engines abort on such positions, so every set-up
// position is checked before play. Empty `error` when fine.
bool validatePosition(const Position& position, std::string& error);
// As validatePosition, for a position a composer set up rather than one reached in play:
// several unpromoted pawns of a side on a file are allowed there (the two-pawn rule forbids
// making them by a drop, not setting them up), and each such file is named in `warnings`.
// Engines still need validatePosition's stricter check before they are given a position.
bool validateSetUpPosition(const Position& position, std::string& error,
                           std::vector<std::string>& warnings);

// How a game ended.
enum class GameEnd : std::uint8_t {
    None,
    // The side to move has no legal move and loses; in check that is mate, and the rare
    // position without a move out of check loses the same way, since no one may pass.
    Checkmate,
    Resignation,
    Repetition,      // sennichite: a draw
    PerpetualCheck,  // the checking side lost the repetition
    Impasse,         // a successful declaration (nyugyoku)
    FailedImpasse,   // a declaration that failed: the declarer loses
    IllegalMove,     // foul (hansoku): the side that made it loses
    TimeUp,
};
struct Outcome {
    GameEnd how = GameEnd::None;
    int winner = -1;  // 0 Blue, 1 Red, -1 a draw (or no end)
    bool over() const { return how != GameEnd::None; }
};

// A hash of board, hands and side to move, for repetition.
std::uint64_t positionKey(const Position& position);

// The repetition a line of play ends in, if any: `keys[i]` is the position key after ply i
// (keys[0] the start, the last the position now), `gaveCheck[i]` whether move i + 1 left
// the other side in check, `firstMover` the side that made move 1. The fourth time the
// position now stands on the line is a draw, unless one side checked with every move of it
// from the first of the four on: that side loses. Outcome{} when there is no repetition.
Outcome repetitionOutcome(const std::vector<std::uint64_t>& keys,
                          const std::vector<bool>& gaveCheck, int firstMover);

// Whether the side to move may declare a win under the 27-point rule.
bool impasseDeclarationWins(const Position& position);

// The standard game as it stands: the start position (even or set up), the moves played and
// the outcome. The scene keeps one of these beside the simple rules' history; it also judges
// checkmate and repetition after each move.
class StandardGame {
  public:
    explicit StandardGame(const Position& start = Position::start());

    const Position& position() const { return position_; }
    const Position& startPosition() const { return start_; }
    const Outcome& outcome() const { return outcome_; }

    // A legal move for the side to move; refused after the game has ended.
    bool play(const MoveRequest& request, Move* made = nullptr, Refusal* why = nullptr);
    void resign();          // the side to move resigns
    void declareImpasse();  // the side to move declares; wins or loses by the rule
    void loseByFoul(int side);
    void loseOnTime(int side);

    // Take-back and replay along the one line of moves. A mate or repetition
    // goes with the move that made it; a resignation or declaration is taken back on its
    // own first, so either way the game is in play again.
    const Move* takeBack();
    const Move* replay();
    // Brings back a resignation or declaration that takeBack() undid on its own, at its ply.
    bool replayEnding();
    std::vector<Move> played() const;
    const Move* lastMove() const;  // the last move played; null at the start
    std::size_t size() const;
    std::size_t ply() const;

  private:
    void judgeEnd();  // mate, no move or repetition at the current ply
    void endHere(GameEnd how, int winner);

    Position start_;
    Position position_;
    std::vector<Move> moves_;
    std::vector<std::uint64_t> keys_;  // key after each move, keys_[0] of start
    std::vector<bool> gaveCheck_;      // whether move i left the opponent in check
    std::size_t ply_ = 0;
    Outcome outcome_;
    std::size_t outcomePly_ = 0;  // ply at which the outcome was reached
    // An ending that came without a move (resignation, a declaration, a foul, time) and the
    // ply it came at, kept while it is taken back so replay brings it back.
    Outcome ending_;
    std::size_t endingPly_ = 0;
};

}  // namespace ixo
