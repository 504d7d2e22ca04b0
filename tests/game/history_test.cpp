#include <random>
#include <utility>
#include <vector>

#include "record/kif_reader.h"
#include "scene_test_support.h"
#include "support/record_lines.h"

namespace ixo::test {
namespace {

using reliability::clickRandomMove;
using reliability::pressKey;

// Hears what the scene tells its observers, in order.
struct Listener : GameObserver {
    std::vector<std::pair<MoveEvent, Move>> heard;
    void onMoveEvent(const GameScene&, const Move& move, MoveEvent event) override {
        heard.emplace_back(event, move);
    }
};

struct Position {
    Board board;
    int turn;
    bool operator==(const Position& other) const {
        return board == other.board && turn == other.turn;
    }
};

class History : public SceneTest {
  protected:
    Position now() const { return {scene_.board(), scene_.turn()}; }
    void selectAnyPiece() {
        for (const Move& move : reliability::legalMoves(scene_.board(), scene_.turn())) {
            click(scene_, move.fromColumn, move.fromRow);
            break;
        }
        ASSERT_NE(scene_.selected.piece, -1);
    }

    GameScene scene_{nullptr};
};

// A seeded game played with the mouse; the record written after every move must read back to
// the board on the screen, and stepping back and forth must pass through the same positions.
TEST_F(History, ARandomGameRecordsReadsBackTakesBackAndReplaysThroughEveryPosition) {
    Listener listener;
    scene_.observers.push_back(&listener);
    std::mt19937 random(20261207);
    std::vector<Position> shown{now()};
    for (int move = 0; move < 80 && clickRandomMove(scene_, random); ++move) {
        shown.push_back(now());
        const RecordReading reading =
            readKifRecord(test::kifPlayedHere(scene_.match.record(), "2026/12/07 10:00:00"));
        ASSERT_TRUE(reading.ok()) << "move " << move + 1 << ": line " << reading.errorLine << ": "
                                  << reading.error;
        Board replayed;
        replayed.reset();
        for (const Move& recorded : test::mainLineMoves(reading.record)) {
            ASSERT_TRUE(playMove(replayed, recorded.owner, recorded.fromColumn, recorded.fromRow,
                                 recorded.toColumn, recorded.toRow));
        }
        ASSERT_EQ(replayed, scene_.board()) << "after move " << move + 1;
    }
    ASSERT_GT(shown.size(), 40u);
    ASSERT_EQ(listener.heard.size(), shown.size() - 1);

    for (std::size_t back = shown.size() - 1; back > 0; --back) {
        selectAnyPiece();
        pressKey(scene_, SDLK_u);
        EXPECT_EQ(now(), shown[back - 1]) << "after taking back move " << back;
        EXPECT_EQ(scene_.selected.piece, -1);
        EXPECT_EQ(scene_.moveMap.count(), 0);
        EXPECT_EQ(listener.heard.back().first, MoveEvent::TakenBack);
    }
    selectAnyPiece();
    const Cell selected = scene_.selected;
    pressKey(scene_, SDLK_BACKSPACE, 3);  // at the start nothing happens, the selection stays
    EXPECT_EQ(now(), shown.front());
    EXPECT_EQ(scene_.selected, selected);
    click(scene_, 4, 4, kRightButton);

    pressKey(scene_, SDLK_r, static_cast<int>(shown.size()) + 5);
    EXPECT_EQ(now(), shown.back());
    EXPECT_EQ(listener.heard.back().first, MoveEvent::Replayed);
    EXPECT_EQ(listener.heard.size(), 3 * (shown.size() - 1));
}

// Presses within one frame all count, take-backs first; a new move drops what could be replayed.
TEST_F(History, KeyPressesInOneFrameAllCountAndANewMoveEndsReplaying) {
    std::mt19937 random(7);
    std::vector<Position> shown{now()};
    for (int move = 0; move < 4; ++move) {
        clickRandomMove(scene_, random);
        shown.push_back(now());
    }
    Keyboard::instance().noteKeyDown(SDLK_r);
    Keyboard::instance().noteKeyDown(SDLK_u);
    pressKey(scene_, SDLK_BACKSPACE, 2);  // three back, one forward
    EXPECT_EQ(now(), shown[2]);
    clickRandomMove(scene_, random);
    const Position afterNewMove = now();
    pressKey(scene_, SDLK_r);
    EXPECT_EQ(now(), afterNewMove);
}

// What was taken back is part of the game as played: a different move after a take-back
// becomes the main line there, and the moves taken back stay beside it as a variation.
TEST_F(History, ADifferentMoveAfterTakeBacksKeepsTheTakenBackLineAsAVariation) {
    click(scene_, 2, 6);  // 7g7f
    click(scene_, 2, 5);
    click(scene_, 2, 2);  // 7c7d
    click(scene_, 2, 3);
    ASSERT_EQ(scene_.match.ply(), 2u);
    const std::vector<Move> first = scene_.match.played();
    pressKey(scene_, SDLK_u, 2);
    ASSERT_EQ(scene_.match.ply(), 0u);
    click(scene_, 7, 6);  // 2g2f
    click(scene_, 7, 5);
    ASSERT_EQ(scene_.match.ply(), 1u);

    const RecordNode& root = scene_.match.record().root();
    ASSERT_EQ(root.children.size(), 2u);
    EXPECT_EQ(root.children[0]->move, scene_.match.played().front());
    const RecordNode& variation = *root.children[1];
    EXPECT_EQ(variation.move, first[0]);
    ASSERT_NE(variation.mainChild(), nullptr);
    EXPECT_EQ(variation.mainChild()->move, first[1]);
}

}  // namespace
}  // namespace ixo::test
