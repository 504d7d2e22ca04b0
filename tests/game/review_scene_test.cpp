// Looking back at a game in the scene: stepping through the record with the keys, moves made
// at an earlier place, and A's analysis against the fake analyst.
#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "analysis/analysis_harness.h"
#include "input/keyboard.h"
#include "match/game_analysis.h"
#include "match/live_analysis.h"
#include "record/kif_reader.h"
#include "scene_test_support.h"

namespace ixo::test {

namespace {

using reliability::pressKey;

// The short game with a variation at move 2: △８四歩 instead of △３四歩.
GameRecord branchedGame() {
    RecordReading reading = readKifRecord(std::string(testing::kShortGame) +
                                          "\n変化：2手\n"
                                          "   2 ８四歩(83)\n");
    EXPECT_TRUE(reading.ok()) << reading.error;
    return std::move(reading.record);
}

class Review : public SceneTest {
  protected:
    void SetUp() override {
        SceneTest::SetUp();
        scene_.resumeRecord(branchedGame());
    }
    int ply() const { return static_cast<int>(scene_.match.current().ply); }
    GameScene scene_{nullptr};
};

}  // namespace

TEST_F(Review, KeysStepThroughTheRecordAndShowTheList) {
    ASSERT_EQ(ply(), 4);
    EXPECT_FALSE(scene_.reviewing);
    pressKey(scene_, SDLK_LEFT);
    EXPECT_EQ(ply(), 3);
    EXPECT_TRUE(scene_.reviewing) << "a step shows the moves";
    pressKey(scene_, SDLK_HOME);
    EXPECT_TRUE(scene_.match.current().isRoot());
    pressKey(scene_, SDLK_RIGHT, 2);
    EXPECT_EQ(ply(), 2);
    // Down goes to the variation played at this move, Up back to the main line.
    const RecordNode& mainMove = scene_.match.current();
    pressKey(scene_, SDLK_DOWN);
    EXPECT_EQ(ply(), 2);
    EXPECT_EQ(scene_.match.current().parent->indexOf(&scene_.match.current()), 1);
    pressKey(scene_, SDLK_DOWN);  // there is no third
    EXPECT_EQ(scene_.match.current().parent->indexOf(&scene_.match.current()), 1);
    pressKey(scene_, SDLK_UP);
    EXPECT_EQ(&scene_.match.current(), &mainMove);
    pressKey(scene_, SDLK_END);
    EXPECT_EQ(ply(), 4);
    EXPECT_EQ(&scene_.match.current(), &scene_.match.record().mainLineEnd());
    pressKey(scene_, SDLK_k);
    EXPECT_FALSE(scene_.reviewing);
}

// Where the panel puts its parts: the list's rows from (602, 104), 17 pixels each, and the
// graph along 602 to 796 from y 392.
TEST_F(Review, AClickOnAMoveOrOnTheGraphGoesThereAndNeverReachesTheBoard) {
    pressKey(scene_, SDLK_k);
    ASSERT_TRUE(scene_.reviewing);
    releaseAt(scene_, 612, 104 + 2 * 17 + 8, kLeftButton);  // the row of move 2
    EXPECT_EQ(ply(), 2);
    releaseAt(scene_, 604, 420, kLeftButton);  // the graph's first column: the start
    EXPECT_TRUE(scene_.match.current().isRoot());
    releaseAt(scene_, 794, 420, kLeftButton);  // its last: the end of the main line
    EXPECT_EQ(ply(), 4);
    EXPECT_EQ(scene_.selected.piece, -1);
}

// Looking back at a record, a move made at an earlier place is a variation: the main line as
// the record had it stays. A game begun afterwards is played, and its line is the game.
TEST_F(Review, AMoveMadeInReviewStartsAVariationAndANewGameIsPlayedAgain) {
    scene_.match.setPlacement(GameRecord::Placement::Variation);
    pressKey(scene_, SDLK_LEFT, 2);
    const RecordNode* mainLineBefore = scene_.match.current().mainChild();
    MoveRequest edgePawn;  // ▲１六歩
    edgePawn.fromColumn = edgePawn.toColumn = 8;
    edgePawn.fromRow = 6;
    edgePawn.toRow = 5;
    ASSERT_TRUE(scene_.match.play(edgePawn) == Refusal::None);
    EXPECT_EQ(scene_.match.current().parent->mainChild(), mainLineBefore);
    EXPECT_EQ(scene_.match.record().mainLineEnd().ply, 4);

    GameRecord fresh;
    fresh.rules = RuleSet::Standard;
    scene_.beginGame(std::move(fresh));
    EXPECT_EQ(scene_.match.placement(), GameRecord::Placement::MainLine);
}

class ReviewAnalysis : public Review {
  protected:
    // Frames until `done`, waking on the analyst's answers as the main loop does.
    bool framesUntil(const std::function<bool()>& done) {
        return SceneTest::framesUntil(
            scene_, [this] { return analysis_ ? analysis_->readDescriptor() : -1; }, done);
    }
    void analyseWith(std::vector<std::string> arguments) {
        analysis_ =
            std::make_unique<GameAnalysis>(testing::fakeAnalyst(std::move(arguments)), false, 50);
        scene_.setAnalysis(analysis_.get());
    }
    void TearDown() override {
        scene_.setAnalysis(nullptr);
        analysis_.reset();
        Review::TearDown();
    }
    std::unique_ptr<GameAnalysis> analysis_;
};

TEST_F(ReviewAnalysis, AAnalysesEveryPositionAndSaysWhatItFound) {
    // Blue's second move is not the engine's choice (▲７八銀) and throws the game away: from
    // +30 to -3000, a blunder by the win chance it cost.
    analyseWith({"--answers=7g7f,3c3d,7i7h,8c8d,2f2e", "--scores=20,-20,30,3000,-3000"});
    pressKey(scene_, SDLK_a);
    EXPECT_TRUE(scene_.reviewing);
    EXPECT_TRUE(scene_.takesEscape()) << "Escape stops a running analysis, not the game";
    ASSERT_TRUE(framesUntil([this] { return !analysis_->running(); }));
    EXPECT_EQ(analysis_->done(), 5);
    for (const RecordNode* node : testing::mainLine(scene_.match.record())) {
        EXPECT_TRUE(node->evaluated) << "move " << node->ply;
    }
    EXPECT_NE(scene_.match.record().mainLineEnd().comment.find("#評価値="), std::string::npos);
    EXPECT_EQ(scene_.notice, "Blue/Red: 1/0 blunders, 0/0 mistakes, 0/0 dubious");
    EXPECT_FALSE(scene_.takesEscape());
}

TEST_F(ReviewAnalysis, EscapeStopsTheAnalysisAndKeepsWhatWasDone) {
    analyseWith({testing::kShortGameAnswers, "--think=0.3"});
    pressKey(scene_, SDLK_a);
    ASSERT_TRUE(framesUntil([this] { return analysis_->done() >= 1; }));
    pressKey(scene_, SDLK_ESCAPE);
    EXPECT_FALSE(analysis_->running());
    const int done = analysis_->done();
    EXPECT_LT(done, 5);
    EXPECT_TRUE(scene_.match.record().root().evaluated);
    EXPECT_EQ(scene_.notice.rfind("Analysis stopped: ", 0), 0u) << scene_.notice;
    // The game goes on: a step still steps.
    pressKey(scene_, SDLK_LEFT);
    EXPECT_EQ(ply(), 3);
}

TEST_F(ReviewAnalysis, AnEngineThatCrashesEndsTheAnalysisWithItsReasonOnTheLine) {
    analyseWith({testing::kShortGameAnswers, "--crash-at=2"});
    pressKey(scene_, SDLK_a);
    ASSERT_TRUE(framesUntil([this] { return !analysis_->running(); }));
    EXPECT_EQ(scene_.notice.rfind("Analysis failed at 2 of 5: ", 0), 0u) << scene_.notice;
    EXPECT_TRUE(scene_.match.record().root().evaluated);
    EXPECT_FALSE(scene_.match.record().mainLineEnd().evaluated);
}

// The nodes under analysis go with their record: a new game mid-analysis must not have the
// analyst's late answer written into freed nodes (the sanitized suite sees it if it does).
TEST_F(ReviewAnalysis, ANewGameEndsTheAnalysisOfTheRecordItReplaced) {
    analyseWith({testing::kShortGameAnswers, "--think=0.2"});
    pressKey(scene_, SDLK_a);
    ASSERT_TRUE(analysis_->running());
    scene_.startNewGame();
    EXPECT_FALSE(analysis_->running());
    for (int pass = 0; pass < 30; ++pass) {
        frame(scene_, 0, 0, 0);
        SDL_Delay(10);
    }
    EXPECT_FALSE(scene_.match.record().root().evaluated);
}

}  // namespace ixo::test

namespace ixo::test {

class LiveLines : public Review {
  protected:
    void SetUp() override {
        Review::SetUp();
        EngineSetup setup;
        setup.program = IXO_FAKE_ENGINE;
        setup.arguments = {"--multipv", "3"};
        live_ = std::make_unique<LiveAnalysis>(setup, false);
        scene_.setLiveAnalysis(live_.get());
        pressKey(scene_, SDLK_HOME);  // where the fake engine's ▲７六歩 is a move
        pressKey(scene_, SDLK_l);
        ASSERT_TRUE(framesUntil(
            scene_, [this] { return live_->readDescriptor(); },
            [this] { return live_->lines().size() == 3; }));
    }
    void TearDown() override {
        scene_.setLiveAnalysis(nullptr);
        live_.reset();
        Review::TearDown();
    }
    const Cell& shownAt(int column, int row) const {
        return scene_.shownPosition().board.cells[row * kBoardSize + column];
    }
    std::unique_ptr<LiveAnalysis> live_;
};

TEST_F(LiveLines, LEngineLinesAreCheckedAndWrittenFromBluesSide) {
    // The search's last word on its best line, which replaces what it said before.
    EXPECT_EQ(live_->lines()[0].score, "+42");
    EXPECT_EQ(live_->lines()[0].text, "▲７六歩");
    const LiveAnalysis::Line& second = live_->lines()[1];
    EXPECT_EQ(second.score, "+40");
    EXPECT_EQ(second.text, "▲７六歩△３四歩");
    EXPECT_EQ(second.moves.size(), 2u);
    EXPECT_EQ(live_->lines()[2].score, "+10");
    // L again: no lines, and the engine's later words leave nothing on screen.
    pressKey(scene_, SDLK_l);
    EXPECT_FALSE(live_->on());
    EXPECT_TRUE(live_->lines().empty());
}

// The preview shows the line on the board, move by move, and leaves the game where it was;
// a click on the board from it plays the moves shown into the game first.
TEST_F(LiveLines, APreviewStepsThroughALineAndOnlyAMoveFromItEntersTheRecord) {
    const std::size_t nodesBefore = scene_.match.record().nodeCount();
    pressKey(scene_, SDLK_2);
    ASSERT_TRUE(scene_.previewing());
    EXPECT_EQ(shownAt(2, 5).piece, Pawn) << "▲７六歩 is shown";
    EXPECT_EQ(scene_.match.position(), Position::start());
    pressKey(scene_, SDLK_RIGHT, 5);  // no further than the line goes
    EXPECT_EQ(scene_.previewShown(), 2);
    EXPECT_EQ(shownAt(6, 3).piece, Pawn) << "△３四歩 is shown";
    EXPECT_TRUE(scene_.takesEscape()) << "Escape ends the preview, not the game";
    pressKey(scene_, SDLK_ESCAPE);
    EXPECT_FALSE(scene_.previewing());
    EXPECT_EQ(scene_.shownPosition(), Position::start());
    EXPECT_EQ(scene_.match.record().nodeCount(), nodesBefore);
    EXPECT_TRUE(scene_.match.current().isRoot());

    pressKey(scene_, SDLK_2);
    pressKey(scene_, SDLK_RIGHT);
    click(scene_, 7, 6);  // Blue's pawn, after the line's two moves
    EXPECT_FALSE(scene_.previewing());
    EXPECT_EQ(scene_.match.ply(), 2u);
    EXPECT_EQ(scene_.match.position(), (Position{scene_.board(), 0}));
    EXPECT_EQ(scene_.selected.piece, Pawn) << "the click went on to pick the pawn up";
}

}  // namespace ixo::test
