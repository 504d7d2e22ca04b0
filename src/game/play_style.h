#pragma once

#include "shogi/rule_set.h"

namespace ixo {

// Where the two status marks go: the "Not recording" line and the muted speaker.
struct StatusPlaces {
    int noticeX, noticeY, speakerX, speakerY;
};

// How the window plays and shows one rule set. The controller and the renderer are one path
// for both games; everything in which the two differ on screen or under the mouse is here,
// so neither ever asks which game is played.
struct PlayStyle {
    // The selection and its marks are kept in the frame of the side to move, where that side
    // is owner 0 moving toward row 0 (Board::flipped for Red), as the simple game's turn
    // controller has always kept them; otherwise in screen squares with the real owner.
    bool moversFrame;
    // A piece with nowhere to go cannot be picked up, so a click on it leaves no trace.
    // Otherwise it can: a pinned piece is exactly the one whose refusal a beginner needs
    // explained.
    bool pickNeedsAMove;
    // A click on another piece of one's own while one is picked up takes over the selection;
    // otherwise it is ignored and switching needs a cancel first.
    bool ownPieceSwitches;
    // The line under the board speaks of the position: why a move was refused, what the
    // player is asked. It goes with the position and with the next click. Otherwise it only
    // says what the engines and keys did, which stays true whatever position is shown.
    bool noticeOfPosition;
    // The game can end without a move (resignation, declaration, a foul, a flag) with a banner
    // and a line in the record, and G and D ask for the first two. Otherwise a flag fall is
    // told only in the line under the board, and nothing else ends the game.
    bool endings;
    // The last move's squares and a king in check are marked.
    bool lastMoveMarks;
    bool checkMarks;
    // A background, marks, hand counts, a promotion plaque and banners of its own, read when
    // such a game is first taken over; otherwise the board's pictures alone.
    bool ownPictures;
    StatusPlaces status;
};

const PlayStyle& playStyle(RuleSet rules);

}  // namespace ixo
