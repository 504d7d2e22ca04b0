#include <gtest/gtest.h>

#include <initializer_list>
#include <string>

#include "record/ki2_reader.h"
#include "record/ki2_writer.h"
#include "shogi/notation.h"
#include "shogi/standard_rules.h"

namespace ixo {
namespace {

struct Placed {
    int file, rank, piece, owner;
};

// Both kings out of the way in their corners, and the pieces given, `side` to move.
Position positionWith(std::initializer_list<Placed> pieces, int side = 0) {
    Position position;
    for (int square = 0; square < kSquareCount; ++square) {
        position.board.cells[square] = Cell{Empty, 0, square % kBoardSize, square / kBoardSize};
    }
    const auto put = [&position](const Placed& piece) {
        const int column = columnOfFile(piece.file), row = piece.rank - 1;
        position.board.cells[row * kBoardSize + column] =
            Cell{static_cast<std::int8_t>(piece.piece), static_cast<std::int8_t>(piece.owner),
                 column, row};
    };
    put({9, 9, King, 0});
    put({1, 1, King, 1});
    for (const Placed& piece : pieces) {
        put(piece);
    }
    position.sideToMove = side;
    return position;
}

Move played(const Position& position, int fromFile, int fromRank, int toFile, int toRank,
            bool promote = false) {
    Position copy = position;
    MoveRequest request;
    request.fromColumn = columnOfFile(fromFile);
    request.fromRow = fromRank - 1;
    request.toColumn = columnOfFile(toFile);
    request.toRow = toRank - 1;
    request.promote = promote;
    Move made;
    EXPECT_TRUE(playStandardMove(copy, request, &made)) << fromFile << fromRank;
    return made;
}

// The text the writer gives, and that the reader takes it back to the same move.
std::string writtenAndReadBack(const Position& position, const Move& move) {
    const std::string text = ki2MoveText(position, move, nullptr);
    std::string_view rest = text;
    Ki2Move words;
    std::string why;
    EXPECT_TRUE(takeKi2Move(rest, words, why)) << text << ": " << why;
    MoveRequest request;
    EXPECT_TRUE(resolveKi2Move(position, words, nullptr, request, why)) << text << ": " << why;
    EXPECT_EQ(request.fromColumn, move.fromColumn) << text;
    EXPECT_EQ(request.fromRow, move.fromRow) << text;
    EXPECT_EQ(request.isDrop(), move.dropped) << text;
    EXPECT_EQ(request.promote, move.promoted) << text;
    return text;
}

// What the reader makes of `text` on `position`: empty when it resolves, else why not.
std::string refusal(const Position& position, const std::string& text) {
    std::string_view rest = text;
    Ki2Move words;
    std::string why;
    MoveRequest request;
    if (takeKi2Move(rest, words, why) && resolveKi2Move(position, words, nullptr, request, why)) {
        return "";
    }
    return why.empty() ? "?" : why;
}

TEST(Ki2Notation, AloneAPieceNeedsNoWordAndTwoAreToldApartByHowTheyMove) {
    const Position alone = positionWith({{5, 9, Gold, 0}});
    EXPECT_EQ(writtenAndReadBack(alone, played(alone, 5, 9, 5, 8)), "▲５八金");
    // Forward against sideways, and back against forward.
    const Position two = positionWith({{6, 9, Gold, 0}, {4, 8, Gold, 0}});
    EXPECT_EQ(writtenAndReadBack(two, played(two, 6, 9, 5, 8)), "▲５八金上");
    EXPECT_EQ(writtenAndReadBack(two, played(two, 4, 8, 5, 8)), "▲５八金寄");
    const Position back = positionWith({{5, 7, Gold, 0}, {4, 9, Gold, 0}});
    EXPECT_EQ(writtenAndReadBack(back, played(back, 5, 7, 5, 8)), "▲５八金引");
    EXPECT_EQ(writtenAndReadBack(back, played(back, 4, 9, 5, 8)), "▲５八金上");
}

TEST(Ki2Notation, PiecesMovingAlikeAreToldApartByWhereTheyStandStraightFirst) {
    const Position three = positionWith({{6, 9, Gold, 0}, {5, 9, Gold, 0}, {4, 9, Gold, 0}});
    EXPECT_EQ(writtenAndReadBack(three, played(three, 5, 9, 5, 8)), "▲５八金直");
    EXPECT_EQ(writtenAndReadBack(three, played(three, 6, 9, 5, 8)), "▲５八金左");
    EXPECT_EQ(writtenAndReadBack(three, played(three, 4, 9, 5, 8)), "▲５八金右");
    // Red's right is the other side of the board.
    const Position red = positionWith({{6, 1, Silver, 1}, {4, 1, Silver, 1}}, 1);
    EXPECT_EQ(writtenAndReadBack(red, played(red, 6, 1, 5, 2)), "△５二銀右");
    EXPECT_EQ(writtenAndReadBack(red, played(red, 4, 1, 5, 2)), "△５二銀左");
}

TEST(Ki2Notation, WhereTheyStandAndHowTheyMoveTogetherWhenNeitherIsEnough) {
    // 4九 and 4八 stand on one file and 6九 moves as 4九 does: only both words name 4九.
    const Position three = positionWith({{6, 9, Gold, 0}, {4, 9, Gold, 0}, {4, 8, Gold, 0}});
    EXPECT_EQ(writtenAndReadBack(three, played(three, 4, 9, 5, 8)), "▲５八金右上");
    EXPECT_EQ(writtenAndReadBack(three, played(three, 4, 8, 5, 8)), "▲５八金寄");
    EXPECT_EQ(writtenAndReadBack(three, played(three, 6, 9, 5, 8)), "▲５八金左");
}

// Straight forward is 直 even where the way of moving alone would do, as published games
// write it; and a pinned piece still counts among those that reach the square.
TEST(Ki2Notation, StraightForwardIsStraightAndAPinnedPieceCountsToo) {
    const Position two = positionWith({{5, 9, Gold, 0}, {4, 8, Gold, 0}});
    EXPECT_EQ(writtenAndReadBack(two, played(two, 5, 9, 5, 8)), "▲５八金直");
    // The silver on 4八 stands between Red's dragon and Blue's king: it cannot go to 5九, and
    // the move is still written 左.
    Position pinned = positionWith({{6, 8, Silver, 0}, {4, 8, Silver, 0}, {4, 9, PromotedRook, 1}});
    pinned.board.cells[8 * kBoardSize + columnOfFile(9)] = Cell{Empty, 0, columnOfFile(9), 8};
    pinned.board.cells[6 * kBoardSize + columnOfFile(4)] = Cell{King, 0, columnOfFile(4), 6};
    EXPECT_EQ(writtenAndReadBack(pinned, played(pinned, 6, 8, 5, 9)), "▲５九銀左");
}

TEST(Ki2Notation, ADragonOrHorseIsNeverStraightOnlyRightOrLeft) {
    const Position dragons = positionWith({{5, 9, PromotedRook, 0}, {4, 9, PromotedRook, 0}});
    EXPECT_EQ(writtenAndReadBack(dragons, played(dragons, 5, 9, 5, 8)), "▲５八龍左");
    EXPECT_EQ(writtenAndReadBack(dragons, played(dragons, 4, 9, 5, 8)), "▲５八龍右");
    const Position horses = positionWith({{7, 7, PromotedBishop, 0}, {2, 2, PromotedBishop, 0}});
    EXPECT_EQ(writtenAndReadBack(horses, played(horses, 7, 7, 5, 5)), "▲５五馬上");
    EXPECT_EQ(writtenAndReadBack(horses, played(horses, 2, 2, 5, 5)), "▲５五馬引");
}

TEST(Ki2Notation, ADropSaysSoOnlyWhereABoardPieceCouldGoToo) {
    Position position = positionWith({{5, 9, Gold, 0}});
    position.hands[0][Gold] = 1;
    Position far = positionWith({{1, 9, Gold, 0}});
    far.hands[0][Gold] = 1;
    MoveRequest drop;
    drop.dropPiece = Gold;
    drop.toColumn = columnOfFile(5);
    drop.toRow = 7;
    Move dropped, droppedFar;
    Position copy = position, copyFar = far;
    ASSERT_TRUE(playStandardMove(copy, drop, &dropped));
    ASSERT_TRUE(playStandardMove(copyFar, drop, &droppedFar));
    EXPECT_EQ(writtenAndReadBack(position, dropped), "▲５八金打");
    EXPECT_EQ(writtenAndReadBack(position, played(position, 5, 9, 5, 8)), "▲５八金");
    EXPECT_EQ(writtenAndReadBack(far, droppedFar), "▲５八金");
}

TEST(Ki2Notation, PromotionIsWrittenAndSoIsDecliningIt) {
    const Position silver = positionWith({{5, 4, Silver, 0}});
    EXPECT_EQ(writtenAndReadBack(silver, played(silver, 5, 4, 5, 3, true)), "▲５三銀成");
    EXPECT_EQ(writtenAndReadBack(silver, played(silver, 5, 4, 5, 3, false)), "▲５三銀不成");
    EXPECT_EQ(refusal(positionWith({{5, 2, Pawn, 0}}), "▲５一歩"),
              "the pawn must promote there, and the move has no 成");
}

TEST(Ki2Notation, AMoveThatNamesNoneOrSeveralIsRefused) {
    const Position two = positionWith({{5, 9, Gold, 0}, {4, 9, Gold, 0}});
    EXPECT_EQ(refusal(two, "▲５八金"), "2 golds can move to ５八, and the move does not say which");
    EXPECT_EQ(refusal(two, "▲５八金引"), "no gold can move to ５八 as the words after it say");
    EXPECT_EQ(refusal(two, "▲５五金"), "no gold of Blue can move to ５五");
    EXPECT_EQ(refusal(two, "△５八金右"), "△ marks a move of Red, but it is Blue's turn");
}

TEST(Ki2Notation, SameSquareAndRunTogetherMovesAreRead) {
    std::string_view text = "▲同金直△８三と";
    Ki2Move move;
    std::string why;
    ASSERT_TRUE(takeKi2Move(text, move, why)) << why;
    EXPECT_TRUE(move.same && move.straight && move.piece == Gold);
    EXPECT_EQ(text, "△８三と");
    ASSERT_TRUE(takeKi2Move(text, move, why)) << why;
    EXPECT_EQ(move.piece, PromotedPawn);
    EXPECT_TRUE(text.empty());
    text = "▲７六歩X";
    EXPECT_FALSE(takeKi2Move(text, move, why));
}

}  // namespace
}  // namespace ixo
