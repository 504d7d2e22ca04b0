#pragma once

#include <string>
#include <vector>

#include "shogi/move.h"
#include "shogi/position.h"
#include "shogi/standard_rules.h"

namespace ixo {

// The CSA notation, as servers speak it and CSA records store it. A move is its mover's sign,
// origin and destination squares as file and rank digits ("00" for a drop) and the piece as
// it stands after the move: "+7776FU", "-8822UM", "+0055KA". Squares are written as shogi
// players number them (file 9 at Blue's left), pieces by two letters.

// The two letters of a piece code: FU KY KE GI KI KA HI OU TO NY NK NG UM RY. Empty for none.
std::string csaPieceName(int piece);
// The piece code of two letters; Empty when they name no piece.
int csaPieceCode(const std::string& name);

// The text of `request` on `position` before it is played, its mover the side to move. Empty
// when there is no piece to move (the request is not judged otherwise).
std::string csaMove(const Position& position, const MoveRequest& request);
// The text of a move already made, from what it records.
std::string csaMove(const Move& move);

// Reads "+7776FU" (the move part only, no ",T" time) for the side to move of `position`.
// Checks the notation and that it agrees with the board: the sign is the mover's, a piece of
// the mover stands on the origin (or is in hand for a drop), and the piece named is that one
// or its promoted form, which makes the move a promotion. Whether the rules allow the move is
// judgeMove's question. On false `error` says what is wrong in plain words.
bool parseCsaMove(const Position& position, const std::string& text, MoveRequest& request,
                  std::string& error);

// Reads the position lines of a CSA record or a server's Game_Summary: "PI" with the squares
// and pieces the even start leaves out ("PI82HI22KA"), or nine board rows "P1" to "P9" of
// nine three-character fields (" * ", "+FU", "-OU"); then "P+"/"P-" lines of square and
// piece pairs, "00" for a piece in hand and "00AL" for every piece not yet placed; then the
// side to move, "+" or "-". Lines that are no part of a position are `error`s. Safe on any
// text; the result is a notation reading, whether it can be played is validatePosition's.
class CsaPositionReader {
  public:
    CsaPositionReader();
    // False with `error` set at the first line that cannot be taken.
    bool readLine(const std::string& line, std::string& error);
    // Whether a line opens or continues the position block: PI, Pn, P+, P-, a lone sign.
    static bool isPositionLine(const std::string& line);
    // The position read so far; false when the board rows are not all there or a kind has
    // more pieces than a set. A missing sign line leaves Blue to move.
    bool finish(Position& position, std::string& error);
    bool sawSideToMove() const { return sawSide_; }

  private:
    bool placeLine(const std::string& line, int owner, std::string& error);

    Position position_;
    bool sawBoard_ = false;  // PI or a row
    bool sawPi_ = false;
    bool sawRows_[9] = {};
    bool placed_ = false;  // a P+ or P- line, after which the board is no longer given whole
    bool sawSide_ = false;
    bool allPlaced_ = false;  // 00AL: every piece not yet placed goes to allOwner_'s hand
    int allOwner_ = 0;
};

// Reads a whole position block, one line per entry.
bool readCsaPosition(const std::vector<std::string>& lines, Position& position, std::string& error);

// Writes `position` as nine rows, the hands (if any) and the side to move, each line with LF.
std::string csaPositionText(const Position& position);

}  // namespace ixo
