#include <gtest/gtest.h>

#include <algorithm>

#include "shogi/standard_position.h"

namespace ixo {
namespace {

struct Judged {
    const char* position;
    const char* move;
    Refusal expected;
};

void expectJudged(std::initializer_list<Judged> cases) {
    for (const Judged& c : cases) {
        EXPECT_EQ(judgeMove(sfen(c.position), usi(c.move)), c.expected)
            << c.position << " " << c.move;
    }
}

TEST(StandardRules, EachDropRuleRefusesWithItsOwnReason) {
    expectJudged({
        // Two pawns: a second unpromoted pawn on a file, but a promoted one does not count.
        {"4k4/9/9/9/9/9/4P4/9/4K4 b P 1", "P*5e", Refusal::TwoPawns},
        {"4k4/9/9/9/9/9/4P4/9/4K4 b P 1", "P*4e", Refusal::None},
        {"4k4/9/9/9/9/9/4+P4/9/4K4 b P 1", "P*5e", Refusal::None},
        {"4k4/9/9/9/9/9/4p4/9/4K4 b P 1", "P*5e", Refusal::None},
        // A pawn dropped to mate is refused; a gold on the same square mates legally, and a
        // pawn check the king can answer is fine.
        {"7nk/7p1/8G/9/9/9/9/9/4K4 b PG 1", "P*1b", Refusal::PawnDropMate},
        {"7nk/7p1/8G/9/9/9/9/9/4K4 b PG 1", "G*1b", Refusal::None},
        {"7nk/7p1/9/9/9/9/9/9/4K4 b P 1", "P*1b", Refusal::None},
        {"k8/p8/9/9/9/9/9/9/4K4 w p 1", "P*5h", Refusal::None},
        // Dead drops, for both sides.
        {"4k4/9/9/9/9/9/9/9/4K4 b PLN 1", "P*1a", Refusal::DeadPiece},
        {"4k4/9/9/9/9/9/9/9/4K4 b PLN 1", "L*1a", Refusal::DeadPiece},
        {"4k4/9/9/9/9/9/9/9/4K4 b PLN 1", "N*1b", Refusal::DeadPiece},
        {"4k4/9/9/9/9/9/9/9/4K4 b PLN 1", "N*1c", Refusal::None},
        {"4k4/9/9/9/9/9/9/9/4K4 w pln 1", "N*1h", Refusal::DeadPiece},
        {"4k4/9/9/9/9/9/9/9/4K4 w pln 1", "L*1i", Refusal::DeadPiece},
        // Drops go on empty squares, from a hand that holds the piece.
        {"4k4/9/9/9/9/9/9/9/4K4 b G 1", "G*5a", Refusal::CannotMoveThere},
        {"4k4/9/9/9/9/9/9/9/4K4 b G 1", "S*5e", Refusal::NotYourPiece},
        // In check a drop must block; one that does not leaves the king in check.
        {"4k4/9/9/9/4r4/9/9/9/4K4 b G 1", "G*5g", Refusal::None},
        {"4k4/9/9/9/4r4/9/9/9/4K4 b G 1", "G*4g", Refusal::LeavesKingInCheck},
    });
}

TEST(StandardRules, BoardMovesAreJudgedForPinsPromotionAndTheTable) {
    expectJudged({
        // The gold is pinned to its king by the rook: only along the file.
        {"k8/9/9/9/4r4/9/9/4G4/4K4 b - 1", "5h4h", Refusal::LeavesKingInCheck},
        {"k8/9/9/9/4r4/9/9/4G4/4K4 b - 1", "5h5g", Refusal::None},
        {"k8/9/9/9/4r4/9/9/4G4/4K4 b - 1", "5i4i", Refusal::None},
        // A king may not step onto a square the rook attacks, even away from it.
        {"k8/9/9/9/4r4/9/9/9/4K4 b - 1", "5i5h", Refusal::LeavesKingInCheck},
        // Entering the zone, promotion is a choice; onto the last rank a pawn must promote.
        {"4k4/9/9/4P4/9/9/9/9/4K4 b - 1", "5d5c", Refusal::None},
        {"4k4/9/9/4P4/9/9/9/9/4K4 b - 1", "5d5c+", Refusal::None},
        {"k8/4P4/9/9/9/9/9/9/4K4 b - 1", "5b5a", Refusal::DeadPiece},
        {"k8/4P4/9/9/9/9/9/9/4K4 b - 1", "5b5a+", Refusal::None},
        {"4k4/9/9/9/9/9/9/4P4/4K4 b - 1", "5h5g+", Refusal::BadPromotion},
        {"4k4/9/9/9/4G4/9/9/9/4K4 b - 1", "5e5d+", Refusal::BadPromotion},
        // Leaving the zone still offers it; Red's zone is the bottom three ranks.
        {"4k4/9/4S4/9/9/9/9/9/4K4 b - 1", "5c4d+", Refusal::None},
        {"4k4/9/9/9/9/9/4n4/9/K8 w - 1", "5g4i", Refusal::DeadPiece},
        {"4k4/9/9/9/9/9/4n4/9/K8 w - 1", "5g4i+", Refusal::None},
        // The movement table still decides where a piece goes.
        {"4k4/9/9/9/9/9/9/4B4/4K4 b - 1", "5h5g", Refusal::CannotMoveThere},
        {"4k4/9/9/9/9/9/9/4B4/4K4 b - 1", "5i5h", Refusal::CannotMoveThere},
        {"4k4/9/9/9/9/9/9/4b4/4K4 b - 1", "5h4g", Refusal::NotYourPiece},
    });
}

TEST(StandardRules, AKingInCheckHasOnlyTheEvasionsAndTheScreenSquaresSayWhichOnes) {
    const Position position = sfen("4k4/9/9/9/4r4/9/9/9/4K4 b G 1");
    EXPECT_TRUE(inCheck(position, 0));
    EXPECT_FALSE(inCheck(position, 1));
    std::vector<MoveRequest> moves;
    legalMoves(position, moves);
    std::vector<std::string> texts;
    for (const MoveRequest& move : moves) {
        texts.push_back(usiMove(move));
    }
    std::sort(texts.begin(), texts.end());
    EXPECT_EQ(texts,
              (std::vector<std::string>{"5i4h", "5i4i", "5i6h", "5i6i", "G*5f", "G*5g", "G*5h"}));
    // Screen squares for both sides: the king on column 4, row 8 lights its four escapes.
    const MoveMap king = legalDestinations(position, 4, 8);
    EXPECT_EQ(king.count(), 4);
    EXPECT_TRUE(king.isMarked(3, 7));
    EXPECT_FALSE(king.isMarked(4, 7));
    const MoveMap drops = legalDrops(position, Gold);
    EXPECT_EQ(drops.count(), 3);
    EXPECT_TRUE(drops.isMarked(4, 5) && drops.isMarked(4, 6) && drops.isMarked(4, 7));
    EXPECT_EQ(legalDrops(position, Silver).count(), 0);       // none in hand
    EXPECT_EQ(legalDestinations(position, 4, 4).count(), 0);  // not the mover's piece
    EXPECT_EQ(legalDrops(sfen("7nk/7p1/8G/9/9/9/9/9/4K4 b P 1"), Pawn).isMarked(8, 1), false);
}

TEST(StandardRules, PlayingAndTakingBackRestoresBoardAndBothHandsExactly) {
    // A captured promoted piece goes to hand unpromoted; a drop leaves the hand.
    Position position = sfen("4k4/9/9/9/4+r4/9/9/4G4/4K4 w B 1");
    const Position before = position;
    std::vector<Move> made;
    for (const char* text : {"5e5h", "5i5h", "G*5g"}) {
        Move move;
        ASSERT_TRUE(playStandardMove(position, usi(text), &move)) << text;
        made.push_back(move);
    }
    EXPECT_EQ(made[0].captured, Gold);
    EXPECT_EQ(made[1].captured, PromotedRook);
    EXPECT_EQ(position.hands[0][Rook], 1);
    EXPECT_EQ(position.hands[1][Gold], 0);
    EXPECT_TRUE(made[2].dropped);
    EXPECT_EQ(made[2].fromColumn, -1);
    EXPECT_EQ(usiMove(requestOf(made[2])), "G*5g");
    EXPECT_TRUE(inCheck(position, 0));

    const Position unchanged = position;
    Refusal why = Refusal::None;
    EXPECT_FALSE(playStandardMove(position, usi("R*5g"), nullptr, &why));
    EXPECT_EQ(why, Refusal::CannotMoveThere);
    EXPECT_EQ(position, unchanged);
    for (auto move = made.rbegin(); move != made.rend(); ++move) {
        takeBackStandardMove(position, *move);
    }
    EXPECT_EQ(position, before);
}

TEST(StandardRules, UsiMovesReadAndWriteTheEngineNotation) {
    for (const char* text : {"7g7f", "8h2b+", "P*5e", "r*1i", "9a1i"}) {
        MoveRequest request;
        if (text[0] == 'r') {
            EXPECT_FALSE(parseUsiMove(text, request));  // drops are written in capitals
            continue;
        }
        ASSERT_TRUE(parseUsiMove(text, request)) << text;
        EXPECT_EQ(usiMove(request), text);
    }
    const MoveRequest pawn = usi("7g7f");
    EXPECT_EQ(pawn.fromColumn, 2);
    EXPECT_EQ(pawn.fromRow, 6);
    MoveRequest request;
    for (const char* bad : {"", "7g7", "0a1b", "7g7j", "K*5e", "P*5e+", "7g7f=", "+P*5e"}) {
        EXPECT_FALSE(parseUsiMove(bad, request)) << bad;
    }
}

TEST(StandardRules, ValidationRefusesPositionsNoGameCanReach) {
    std::string error;
    EXPECT_TRUE(validatePosition(Position::start(), error)) << error;
    for (const char* text : {
             "4k4/9/9/9/9/9/4P4/4P4/4K4 b - 1",  // two pawns on a file
             "4P4/9/9/9/9/9/9/9/k3K4 b - 1",     // a pawn that can never move
             "4k4/9/9/9/9/9/9/9/3KK4 b - 1",     // two kings of one side
             "4k4/4R4/9/9/9/9/9/9/4K4 b - 1",    // the side not to move is in check
             "4k4/9/9/9/4B4/9/9/9/4K4 b 2B 1",   // three bishops
         }) {
        EXPECT_FALSE(validatePosition(sfen(text), error)) << text;
        EXPECT_FALSE(error.empty());
    }
}

}  // namespace
}  // namespace ixo
