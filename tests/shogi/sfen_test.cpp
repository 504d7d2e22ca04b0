#include <gtest/gtest.h>

#include "shogi/standard_position.h"

namespace ixo {
namespace {

TEST(Sfen, StartPositionAndHandsReadAndWriteBack) {
    EXPECT_EQ(toSfen(Position::start()),
              "lnsgkgsnl/1r5b1/ppppppppp/9/9/9/PPPPPPPPP/1B5R1/LNSGKGSNL b - 1");
    EXPECT_EQ(sfen("startpos"), Position::start());
    EXPECT_EQ(sfen("sfen lnsgkgsnl/1r5b1/ppppppppp/9/9/9/PPPPPPPPP/1B5R1/LNSGKGSNL b -"),
              Position::start());
    const std::string drops =
        "l6nl/5+P1gk/2np1S3/p1p4Pp/3P2Sp1/1PPb2P1P/P5GS1/R8/LN4bKL w RGgsn5p 1";
    const Position position = sfen(drops);
    EXPECT_EQ(position.sideToMove, 1);
    EXPECT_EQ(position.hands[1][Pawn], 5);
    EXPECT_EQ(position.hands[0][Rook], 1);
    EXPECT_EQ(position.board.cellAt(5, 1).piece, PromotedPawn);
    EXPECT_EQ(position.board.cellAt(5, 1).column, 5);
    EXPECT_EQ(position.board.cellAt(8, 1).owner, 1);
    EXPECT_EQ(toSfen(position, 42), drops.substr(0, drops.size() - 1) + "42");
    // The move number is optional and given back when asked for.
    int number = 0;
    std::string error;
    Position read;
    ASSERT_TRUE(parseSfen("9/9/9/9/4k4/9/9/9/4K4 b 18P 7", read, error, &number)) << error;
    EXPECT_EQ(number, 7);
    EXPECT_EQ(read.hands[0][Pawn], 18);
}

TEST(Sfen, MalformedTextIsRefusedWithAReasonAndLeavesThePositionAlone) {
    const std::string board = "lnsgkgsnl/1r5b1/ppppppppp/9/9/9/PPPPPPPPP/1B5R1/LNSGKGSNL";
    for (const std::string& text : {
             std::string(),
             std::string("   "),
             board,
             board + " b",
             board + " x - 1",
             board + " b - 0",
             board + " b - 1x",
             board + " b - 99999999999999999999",
             board + " b - 1 extra",
             board + " b 0P 1",
             board + " b 19P 1",
             board + " b 3B 1",
             board + " b K 1",
             board + " b 2 1",
             board + " b P2 1",
             board + " b  1",
             std::string("lnsgkgsnl/1r5b1/ppppppppp/9/9/9/PPPPPPPPP/1B5R1 b - 1"),
             std::string("lnsgkgsnl/1r5b1/ppppppppp/9/9/9/PPPPPPPPP/1B5R1/LNSGKGSNL/9 b - 1"),
             std::string("lnsgkgsnl/1r5b2/ppppppppp/9/9/9/PPPPPPPPP/1B5R1/LNSGKGSNL b - 1"),
             std::string("lnsgkgsnl/1r5b/ppppppppp/9/9/9/PPPPPPPPP/1B5R1/LNSGKGSNL b - 1"),
             std::string("lnsg+kgsnl/1r5b1/ppppppppp/9/9/9/PPPPPPPPP/1B5R1/LNSGKGSNL b - 1"),
             std::string("lnsgkgsn+/1r5b1/ppppppppp/9/9/9/PPPPPPPPP/1B5R1/LNSGKGSNL b - 1"),
             std::string("lnsgxgsnl/1r5b1/ppppppppp/9/9/9/PPPPPPPPP/1B5R1/LNSGKGSNL b - 1"),
             std::string("lnsgkgsnl/1r5b1/ppppppppp/0/9/9/PPPPPPPPP/1B5R1/LNSGKGSNL b - 1"),
             std::string("lnsgkg\x01nl/1r5b1/ppppppppp/9/9/9/PPPPPPPPP/1B5R1/LNSGKGSNL b - 1"),
         }) {
        Position position = Position::start();
        position.hands[0][Gold] = 3;
        const Position before = position;
        std::string error;
        EXPECT_FALSE(parseSfen(text, position, error)) << text;
        EXPECT_FALSE(error.empty()) << text;
        EXPECT_EQ(position, before) << text;
    }
}

}  // namespace
}  // namespace ixo
