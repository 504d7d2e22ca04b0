#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "shogi/csa_notation.h"
#include "shogi/handicaps.h"
#include "shogi/standard_position.h"

namespace ixo {
namespace {

MoveRequest csa(const Position& position, const std::string& text) {
    MoveRequest request;
    std::string error;
    EXPECT_TRUE(parseCsaMove(position, text, request, error)) << text << ": " << error;
    return request;
}

Position csaPosition(const std::vector<std::string>& lines) {
    Position position;
    std::string error;
    EXPECT_TRUE(readCsaPosition(lines, position, error)) << error;
    return position;
}

std::string csaError(const std::vector<std::string>& lines) {
    Position position;
    std::string error;
    EXPECT_FALSE(readCsaPosition(lines, position, error));
    return error;
}

TEST(CsaMove, ReadsAndWritesTheSameMovesAsUsiNotation) {
    // Each pair is one move in both notations, in a game that promotes, recaptures and drops.
    const std::vector<std::pair<std::string, std::string>> game = {
        {"+7776FU", "7g7f"},  {"-3334FU", "3c3d"}, {"+8822UM", "8h2b+"},
        {"-3122GI", "3a2b"},  {"+0045KA", "B*4e"}, {"-8232HI", "8b3b"},
        {"+4563UM", "4e6c+"}, {"-6152KI", "6a5b"}, {"+2726FU", "2g2f"},
    };
    Position position = Position::start();
    for (const auto& [text, usiText] : game) {
        const MoveRequest request = csa(position, text);
        EXPECT_EQ(usiMove(request), usiText) << text;
        EXPECT_EQ(csaMove(position, usi(usiText)), text) << usiText;
        Move made;
        ASSERT_TRUE(playStandardMove(position, request, &made)) << text;
        EXPECT_EQ(csaMove(made), text);
    }
}

TEST(CsaMove, APromotedPieceMovingOnIsNoPromotion) {
    const Position position = sfen("4k4/9/9/9/9/9/9/9/+B3K4 b - 1");
    const MoveRequest request = csa(position, "+9955UM");
    EXPECT_FALSE(request.promote);
    EXPECT_EQ(usiMove(request), "9i5e");
}

TEST(CsaMove, TextThatDisagreesWithTheBoardIsRefusedWithAReason) {
    const Position start = Position::start();
    MoveRequest request;
    std::string error;
    for (const char* text : {"", "+7776F", "+7776FUX", "*7776FU", "+7076FU", "+7770FU", "+7776XX",
                             "+0055OU", "+0055UM"}) {
        EXPECT_FALSE(parseCsaMove(start, text, request, error)) << text;
        EXPECT_FALSE(error.empty()) << text;
    }
    EXPECT_FALSE(parseCsaMove(start, "-3334FU", request, error));
    EXPECT_NE(error.find("Blue's turn"), std::string::npos) << error;
    EXPECT_FALSE(parseCsaMove(start, "+5554FU", request, error));  // 55 is empty
    EXPECT_NE(error.find("no piece"), std::string::npos) << error;
    EXPECT_FALSE(parseCsaMove(start, "+2133KE", request, error));  // Red's knight stands on 21
    EXPECT_FALSE(parseCsaMove(start, "+7776KA", request, error));  // a pawn stands on 77
    EXPECT_NE(error.find("is a FU"), std::string::npos) << error;
}

TEST(CsaPosition, PiLeavesOutTheHandicapPieces) {
    Position twoPieces;
    ASSERT_TRUE(handicapPosition("二枚落ち", twoPieces));
    EXPECT_EQ(csaPosition({"PI82HI22KA", "-"}), twoPieces);
    Position lance;
    ASSERT_TRUE(handicapPosition("香落ち", lance));
    EXPECT_EQ(csaPosition({"PI11KY", "-"}), lance);
    EXPECT_EQ(csaPosition({"PI", "+"}), Position::start());
    // A square that does not hold the piece named is a misread record, not a handicap.
    EXPECT_NE(csaError({"PI82KA"}).find("no KA stands on 82"), std::string::npos);
    csaError({"PI82H"});
    csaError({"PI", "P1-KY-KE-GI-KI-OU-KI-GI-KE-KY"});
}

TEST(CsaPosition, BoardRowsWithHandsReadAsTheSamePositionAsSfen) {
    const std::vector<std::string> start = {
        "P1-KY-KE-GI-KI-OU-KI-GI-KE-KY", "P2 * -HI *  *  *  *  * -KA * ",
        "P3-FU-FU-FU-FU-FU-FU-FU-FU-FU", "P4 *  *  *  *  *  *  *  *  * ",
        "P5 *  *  *  *  *  *  *  *  * ", "P6 *  *  *  *  *  *  *  *  * ",
        "P7+FU+FU+FU+FU+FU+FU+FU+FU+FU", "P8 * +KA *  *  *  *  * +HI * ",
        "P9+KY+KE+GI+KI+OU+KI+GI+KE+KY", "+"};
    EXPECT_EQ(csaPosition(start), Position::start());
    // Writers drop the blanks that end a row; a middle game with promoted pieces and hands.
    const Position middle = csaPosition(
        {"P1-KY *  *  *  *  *  * -KE-KY", "P2 *  *  *  *  * +TO * -KI-OU", "P3 *  * -KE-FU * +GI",
         "P4-FU * -FU *  *  *  * +FU-FU", "P5 *  *  * +FU *  * +GI-FU",
         "P6 * +FU+FU-KA *  * +FU * +FU", "P7+FU *  *  *  *  * +KI+GI", "P8+HI",
         "P9+KY+KE *  *  *  * -KA+OU+KY", "P+00HI00KI", "P-00KI00GI00KE00FU00FU00FU00FU00FU", "-"});
    EXPECT_EQ(
        toSfen(middle),
        toSfen(sfen("l6nl/5+P1gk/2np1S3/p1p4Pp/3P2Sp1/1PPb2P1P/P5GS1/R8/LN4bKL w RGgsn5p 1")));
    EXPECT_EQ(csaPosition({}), Position{csaPosition({"P+"})});
    EXPECT_NE(csaError({"P1-KY-KE-GI-KI-OU-KI-GI-KE-KY"}).find("1 of its nine rows"),
              std::string::npos);
    csaError({"P1-KY-KE-GI-KI-OU-KI-GI-KE-KY-FU"});
    csaError({"P1-KY-KE-GI-KI-OU-KI-GI-KE+XX"});
    csaError({"P1-KY-KE-GI-KI-OU-KI-GI-KE*KY"});
    csaError({"+", "P+00FU"});
    csaError({"P+00OU"});
    csaError(
        {"P+00FU00FU00FU00FU00FU00FU00FU00FU00FU00FU00FU00FU00FU00FU00FU00FU00FU00FU", "P-00FU"});
}

TEST(CsaPosition, AllTheRestGoesToOneHandWithoutTheKings) {
    const Position problem = csaPosition({"P-11OU", "P+22KI00KI", "P-00AL", "+"});
    EXPECT_EQ(problem, sfen("8k/7G1/9/9/9/9/9/9/9 b G2r2b2g4s4n4l18p 1"));
    const Position both = csaPosition({"P+59OU00AL", "P-51OU33TO", "-"});
    EXPECT_EQ(both, sfen("4k4/9/6+p2/9/9/9/9/9/4K4 w 2R2B4G4S4N4L17P 1"));
    csaError({"P+00AL", "P-00AL"});
}

TEST(CsaPosition, WrittenTextReadsBackTheSamePosition) {
    for (const std::string& text :
         {std::string("startpos"),
          std::string("l6nl/5+P1gk/2np1S3/p1p4Pp/3P2Sp1/1PPb2P1P/P5GS1/R8/LN4bKL w RGgsn5p 1"),
          std::string("8k/7G1/9/9/9/9/9/9/9 b G2r2b2g4s4n4l18p 1")}) {
        const Position position = sfen(text);
        std::vector<std::string> lines;
        const std::string written = csaPositionText(position);
        for (std::size_t at = 0; at < written.size();) {
            const std::size_t end = written.find('\n', at);
            lines.push_back(written.substr(at, end - at));
            at = end + 1;
        }
        EXPECT_EQ(csaPosition(lines), position) << written;
    }
}

}  // namespace
}  // namespace ixo
