// The move list: what each row says, which row a click finds, and that the current move
// stays in view however long the game.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "game/move_list.h"
#include "match/match.h"
#include "media/ttf_text.h"
#include "record/kif_reader.h"
#include "record/record_format.h"
#include "record/record_store.h"
#include "shogi/standard_rules.h"

namespace ixo {
namespace {

constexpr Box kArea{600, 100, 194, 10 * MoveList::kRowHeight};

GameRecord read(const std::string& text) {
    RecordReading reading = readKifRecord(text);
    EXPECT_TRUE(reading.ok()) << reading.error;
    return std::move(reading.record);
}

// A bishop exchange: a capture on the square just moved to (同), a promotion and a drop, a
// variation at move 4, and a resignation.
const char* const kExchange =
    "手合割：平手\n"
    "   1 ７六歩(77)\n"
    "   2 ３四歩(33)\n"
    "   3 ２二角成(88)\n"
    "   4 同　銀(31)\n"
    "   5 ５五角打\n"
    "   6 投了\n"
    "\n変化：4手\n"
    "   4 同　飛(82)\n";

TEST(MoveList, RowsAreNumberedMovesInKifNotationWithoutTheirOrigin) {
    const GameRecord record = read(kExchange);
    MoveList list(kArea);
    list.follow(record, record.mainLineEnd());
    ASSERT_EQ(list.rowCount(), 7);
    EXPECT_EQ(list.rowText(0), "   開始局面");
    EXPECT_EQ(list.rowText(1), "   1 ▲７六歩");
    EXPECT_EQ(list.rowText(3), "   3 ▲２二角成");
    EXPECT_EQ(list.rowText(4), "   4 △同　銀");
    EXPECT_EQ(list.rowText(5), "   5 ▲５五角打");
    EXPECT_EQ(list.rowText(6), "   6 投了");
    EXPECT_EQ(list.currentRow(), 6);

    // On the variation the list follows its line, to its own end.
    const RecordNode& variation = *record.root().mainChild()->mainChild()->mainChild()->children[1];
    list.follow(record, variation);
    EXPECT_EQ(list.rowCount(), 5);
    EXPECT_EQ(list.rowText(4), "   4 △同　飛");
    EXPECT_EQ(list.currentRow(), 4);
}

TEST(MoveList, AClickFindsTheRowsNodeAndNothingOffTheRows) {
    const GameRecord record = read(kExchange);
    MoveList list(kArea);
    list.follow(record, record.root());
    const RecordNode* third = record.root().mainChild()->mainChild()->mainChild();
    EXPECT_EQ(list.nodeAt(kArea.left + 5, kArea.top + 3 * MoveList::kRowHeight + 1), third);
    EXPECT_EQ(list.nodeAt(kArea.left + 5, kArea.top + 1), &record.root());
    EXPECT_EQ(list.nodeAt(kArea.left + 5, kArea.top + 8 * MoveList::kRowHeight), nullptr)
        << "below the last row";
    EXPECT_EQ(list.nodeAt(kArea.left - 1, kArea.top + 1), nullptr);
}

// A long game: the current move is in view at its end and at its start, the wheel scrolls no
// further than the rows go, and a click after scrolling finds the row it is on.
TEST(MoveList, TheCurrentMoveStaysInViewAndTheWheelStopsAtTheEnds) {
    // 120 moves of random legal play from a fixed seed, none of them ending the game.
    Match match(RuleSet::Standard);
    std::mt19937 random(5);
    std::vector<MoveRequest> moves;
    while (match.ply() < 120) {
        legalMoves(match.position(), moves);
        std::shuffle(moves.begin(), moves.end(), random);
        bool played = false;
        for (const MoveRequest& move : moves) {
            if (match.play(move) == Refusal::None) {
                if (!match.finished()) {
                    played = true;
                    break;
                }
                match.takeBack();
            }
        }
        ASSERT_TRUE(played) << "the random game ended at move " << match.ply();
    }
    const GameRecord& record = match.record();
    MoveList list(kArea);
    const RecordNode& end = record.mainLineEnd();
    list.follow(record, end);
    ASSERT_EQ(list.rowCount(), 121);
    EXPECT_GE(list.currentRow(), list.firstShown());
    EXPECT_LT(list.currentRow(), list.firstShown() + list.rowsShown());
    list.follow(record, record.root());
    EXPECT_EQ(list.firstShown(), 0);

    list.scrollBy(-5);
    EXPECT_EQ(list.firstShown(), 0);
    list.scrollBy(1000);
    EXPECT_EQ(list.firstShown(), 121 - list.rowsShown());
    EXPECT_EQ(list.nodeAt(kArea.left + 5, kArea.top + 1), GameRecord::path(end)[110]);
    // A step keeps the place the wheel left while the current row is in view there.
    list.follow(record, *end.parent);
    EXPECT_EQ(list.firstShown(), 121 - list.rowsShown());
}

TEST(MoveList, AnEvaluatedMoveShowsItsLabel) {
    GameRecord record = read(kExchange);
    RecordNode& second = *record.root().mainChild()->mainChild();
    RecordNode& third = *second.mainChild();
    second.evaluated = third.evaluated = true;
    second.evaluation.centipawns = 300;
    second.evaluation.line = "▲２六歩(27)";  // not the move played: it may be labelled
    third.evaluation.centipawns = -2500;     // Blue's own move threw the game away
    MoveList list(kArea);
    list.follow(record, third);
    EXPECT_EQ(list.rowLabel(3), "大悪手");
    EXPECT_EQ(list.rowLabel(2), "");
}

// The mark and an ending's word follow the record as it is now: an ending judged again keeps
// its node, and so does a line that gains a variation beside it, so the same nodes in the same
// order must not keep the rows made before.
TEST(MoveList, RowsFollowChangesMadeInPlace) {
    GameRecord record = read(kExchange);
    MoveList list(kArea);
    const RecordNode& ending = record.mainLineEnd();
    list.follow(record, *ending.parent);
    EXPECT_TRUE(list.rowBranches(4)) << "同　銀 has 同　飛 beside it";
    EXPECT_FALSE(list.rowBranches(3));
    EXPECT_FALSE(list.rowBranches(2));

    // A player who resigned by mistake took it back, then ran out of time there.
    RecordNode& lastMove = *ending.parent;
    ASSERT_EQ(record.addEnd(lastMove, LineEnd::TimeUp, GameRecord::Placement::MainLine), &ending);
    list.follow(record, ending);
    EXPECT_EQ(list.rowText(6), "   6 切れ負け");

    // Another second move studied without leaving the line shown.
    RecordNode& first = *record.root().mainChild();
    Move eightFour = first.mainChild()->move;  // ３四歩 moved over to the 8th file: ８四歩
    eightFour.fromColumn = eightFour.toColumn = 1;
    record.addMove(first, eightFour, GameRecord::Placement::Variation);
    list.follow(record, ending);
    EXPECT_TRUE(list.rowBranches(2));
}

TEST(MoveList, AListOfOneRowShowsTheCurrentOne) {
    const GameRecord record = read(kExchange);
    MoveList list(Box{kArea.left, kArea.top, kArea.width, MoveList::kRowHeight});
    ASSERT_EQ(list.rowsShown(), 1);
    const RecordNode& third = *record.root().mainChild()->mainChild()->mainChild();
    list.follow(record, third);
    EXPECT_EQ(list.firstShown(), 3);
    EXPECT_EQ(list.nodeAt(kArea.left + 5, kArea.top + 1), &third);
}

// Drawn on a surface of the screen's kind: the bar stands on the row a click there finds.
class MoveListDrawing : public ::testing::Test {
  protected:
    void SetUp() override {
        surface_ = SDL_CreateRGBSurface(SDL_SWSURFACE, 800, 600, 16, 0xf800, 0x07e0, 0x001f, 0);
        ASSERT_NE(surface_, nullptr);
        SDL_FillRect(surface_, nullptr, 0);
    }
    void TearDown() override { SDL_FreeSurface(surface_); }

    bool is(int x, int y, SDL_Color colour) const {
        const auto* row = reinterpret_cast<const Uint16*>(
            static_cast<const Uint8*>(surface_->pixels) + y * surface_->pitch);
        return row[x] == SDL_MapRGB(surface_->format, colour.r, colour.g, colour.b);
    }
    // Opens the review's outline font, or says why the test cannot run.
    bool openFont(TrueTypeText& font) {
        std::string why;
        if (TrueTypeText::findJapaneseFont(why).empty()) {
            return false;
        }
        EXPECT_TRUE(font.open(12, why)) << why;
        return font.ready();
    }
    // Each pixel of `area`'s right edge is on the bar exactly where a click finds `current`.
    void expectBarOn(const MoveList& list, Box area, const RecordNode& current) const {
        const int x = area.left + area.width - 2;
        int barRows = 0;
        for (int y = area.top; y < area.top + area.height; ++y) {
            const bool onCurrent = list.nodeAt(x, y) == &current;
            EXPECT_EQ(is(x, y, kReviewBar), onCurrent) << "at y " << y;
            EXPECT_EQ(is(x, y, kReviewGround), !onCurrent) << "at y " << y;
            barRows += onCurrent;
        }
        EXPECT_EQ(barRows, MoveList::kRowHeight);
    }

    SDL_Surface* surface_ = nullptr;
};

TEST_F(MoveListDrawing, TheBarIsOnTheRowAClickThereFinds) {
    TrueTypeText font;
    if (!openFont(font)) {
        GTEST_SKIP() << "no Japanese font (fonts-ipafont-gothic or fonts-noto-cjk)";
    }
    const GameRecord record = read(kExchange);
    const Box area{kArea.left, kArea.top, kArea.width, 4 * MoveList::kRowHeight};
    MoveList list(area);
    const RecordNode& fifth = *record.mainLineEnd().parent;
    list.follow(record, fifth);
    ASSERT_GT(list.firstShown(), 0) << "the list should have scrolled";
    list.draw(surface_, font);
    expectBarOn(list, area, fifth);
    // Text is drawn on the rows: some pixel of the current row's move is neither ground nor bar.
    const int top = kArea.top + (list.currentRow() - list.firstShown()) * MoveList::kRowHeight;
    bool text = false;
    for (int y = top; y < top + MoveList::kRowHeight; ++y) {
        for (int x = kArea.left; x < kArea.left + font.width(list.rowText(list.currentRow()));
             ++x) {
            text = text || (!is(x, y, kReviewBar) && !is(x, y, kReviewGround));
        }
    }
    EXPECT_TRUE(text);
    EXPECT_TRUE(is(kArea.left - 1, kArea.top, SDL_Color{0, 0, 0, 0})) << "painted outside its area";
}

TEST_F(MoveListDrawing, WithoutAFontTheRowsAreStillWhereClicksFindThem) {
    const GameRecord record = read(kExchange);
    MoveList list(kArea);
    const RecordNode& third = *record.root().mainChild()->mainChild()->mainChild();
    list.follow(record, third);
    const TrueTypeText none;
    list.draw(surface_, none);
    expectBarOn(list, kArea, third);
}

// Run by hand to look at the list and a comment at the size the window shows them:
//   IXO_MOVE_LIST_PICTURE=/tmp/list.bmp build/tests/test_game
//       --gtest_also_run_disabled_tests --gtest_filter='*SavesAPicture*'
TEST_F(MoveListDrawing, DISABLED_SavesAPictureOfARealRecord) {
    TrueTypeText font;
    if (!openFont(font)) {
        GTEST_SKIP() << "no Japanese font";
    }
    const char* picture = std::getenv("IXO_MOVE_LIST_PICTURE");
    ASSERT_NE(picture, nullptr) << "name the picture in IXO_MOVE_LIST_PICTURE";
    std::string bytes, error;
    ASSERT_TRUE(readRecordFile(
        IXO_SOURCE_DIR "/../shared/kif/games/ama-2020-81dojo-henka-utf8bom.kif", bytes, error))
        << error;
    RecordReading reading = readAnyRecord(bytes);
    ASSERT_TRUE(reading.ok()) << reading.error;
    GameRecord& record = reading.record;
    // Forty moves in, on a variation where there is one, with a label or two to see.
    RecordNode* current = &record.root();
    for (int ply = 0; ply < 40 && current->mainChild(); ++ply) {
        current = current->mainChild();
        if (current->children.size() > 1 && ply > 20) {
            current = current->children[1].get();
        }
    }
    for (RecordNode* node = current; node && node->parent && node->ply > 20; node = node->parent) {
        node->evaluated = node->parent->evaluated = true;
        node->evaluation.centipawns = (node->ply % 3 == 0) ? -1800 : 200;
    }
    MoveList list(Box{602, 104, 194, 214});
    list.follow(record, *current);
    list.draw(surface_, font);
    const std::string comment = current->comment.empty()
                                    ? "ここで△３三角なら互角。本譜は攻めが早く、先手が指しやすい。"
                                    : current->comment;
    drawComment(surface_, font, Box{602, 320, 194, 70}, comment, SDL_Color{0xd0, 0xcc, 0xc0, 0});
    ASSERT_EQ(SDL_SaveBMP(surface_, picture), 0) << SDL_GetError();
}

}  // namespace
}  // namespace ixo
