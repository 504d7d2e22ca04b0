#include "game/play_style.h"

namespace ixo {

namespace {

// The status marks sit in the empty strip below the panel's title, so they cover nothing
// that is drawn there in any state, and leave the frame as it always was while neither
// shows. The standard rules keep Blue's hand there: the speaker goes below Red's hand, and
// the line between the help and Blue's hand, clear of the text line under the board.
constexpr PlayStyle kSimple{
    /*moversFrame=*/true,
    /*pickNeedsAMove=*/true,
    /*ownPieceSwitches=*/false,
    /*noticeOfPosition=*/false,
    /*endings=*/false,
    /*lastMoveMarks=*/false,
    /*checkMarks=*/false,
    /*ownPictures=*/false,
    StatusPlaces{606, 562, 766, 566},
};
constexpr PlayStyle kStandard{
    /*moversFrame=*/false,
    /*pickNeedsAMove=*/false,
    /*ownPieceSwitches=*/true,
    /*noticeOfPosition=*/true,
    /*endings=*/true,
    /*lastMoveMarks=*/true,
    /*checkMarks=*/true,
    /*ownPictures=*/true,
    StatusPlaces{606, 472, 20, 566},
};

}  // namespace

const PlayStyle& playStyle(RuleSet rules) {
    return rules == RuleSet::Standard ? kStandard : kSimple;
}

}  // namespace ixo
