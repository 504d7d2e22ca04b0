#include <string>
#include <vector>

#include "input/keyboard.h"
#include "scene_test_support.h"

namespace ixo::test {
namespace {

struct HeardEvents : GameObserver {
    void onMoveEvent(const GameScene&, const Move& move, MoveEvent event) override {
        events.push_back(event);
        moves.push_back(move);
    }
    void onNewGame(const GameScene&) override { ++newGames; }
    std::vector<MoveEvent> events;
    std::vector<Move> moves;
    int newGames = 0;
};

using reliability::pressKey;

Uint32 fakeNow = 0;
Uint32 fakeTicks() {
    return fakeNow;
}

// Screen squares throughout: column 0 is file 9, row 0 rank a, as the board is drawn.
class StandardPlay : public SceneTest {
  protected:
    void SetUp() override {
        SceneTest::SetUp();
        scene_.observers.push_back(&heard_);
        scene_.ticks = &fakeTicks;
        fakeNow = 1000;
    }

    void startFrom(const char* sfen) {
        Position position;
        std::string error;
        ASSERT_TRUE(parseSfen(sfen, position, error)) << error;
        scene_.resumeStandard(StandardGame(position));
    }
    void clickHand(int side, int kind) {
        const Box slot = handSlot(side, handIndexOf(kind));
        releaseAt(scene_, slot.left + slot.width / 2, slot.top + slot.height / 2, kLeftButton);
    }
    // The left or right half of the choice to promote, asked at (column, row).
    void answer(int column, int row, bool promote) {
        const Box choice = promotionChoice(column, row);
        releaseAt(scene_, choice.left + (promote ? 20 : 80), choice.top + 28, kLeftButton);
    }
    std::string refusedFor(Refusal why) const { return refusalText(why); }
    const Position& position() const { return scene_.match.position(); }

    HeardEvents heard_;
    GameScene scene_{nullptr};
};

// Red's king in the corner, Blue's gold pinned to its king by a rook, a pawn on file 1.
constexpr const char* kPinnedGold = "k3r4/9/9/9/9/9/8P/4G4/4K4 b GP 1";
// One step from 5b, whatever drops there is supported by the pawn: a gold there is mate.
constexpr const char* kHeadGoldMate = "4k4/9/4P4/9/9/9/9/9/4K4 b G 1";

TEST_F(StandardPlay, AHandPieceLightsItsDropsShowsItsCardAndDropsOnALitSquare) {
    startFrom(kPinnedGold);
    clickHand(1, Pawn);  // Red's hand, and Red holds nothing: no selection
    EXPECT_EQ(scene_.selected.piece, -1);

    clickHand(0, Gold);
    EXPECT_EQ(scene_.selected, (Cell{Gold, 0, -1, -1}));
    EXPECT_EQ(scene_.moveMap, legalDrops(position(), Gold));
    EXPECT_EQ(scene_.portrait.path(), "../image/team/sample/1pcg/13.png");

    click(scene_, 0, 5);
    EXPECT_EQ(scene_.board().cellAt(0, 5), (Cell{Gold, 0, 0, 5}));
    EXPECT_EQ(position().hands[0][Gold], 0);
    EXPECT_EQ(scene_.turn(), 1);
    EXPECT_EQ(scene_.selected.piece, -1);
    ASSERT_EQ(heard_.events, std::vector<MoveEvent>{MoveEvent::Played});
    EXPECT_TRUE(heard_.moves[0].dropped);
}

TEST_F(StandardPlay, ARefusedClickSaysWhyAndKeepsTheSelection) {
    startFrom(kPinnedGold);
    click(scene_, 4, 7);  // the pinned gold: selectable, so its refusal can be explained
    click(scene_, 3, 7);
    EXPECT_EQ(scene_.notice, refusedFor(Refusal::LeavesKingInCheck));
    EXPECT_EQ(scene_.selected.piece, Gold);

    clickHand(0, Pawn);  // another piece of one's own takes over the selection
    click(scene_, 8, 3);
    EXPECT_EQ(scene_.notice, refusedFor(Refusal::TwoPawns));
    click(scene_, 8, 6, kRightButton);
    EXPECT_EQ(scene_.notice, "");
    EXPECT_EQ(scene_.selected.piece, -1);
    EXPECT_TRUE(heard_.events.empty());
}

TEST_F(StandardPlay, AnOptionalPromotionAsksAndARightClickLeavesTheBoardAsItWas) {
    startFrom("k8/9/9/4S4/9/9/9/9/4K4 b - 1");
    const Position before = position();
    click(scene_, 4, 3);
    click(scene_, 4, 2);
    EXPECT_TRUE(scene_.choosingPromotion);
    EXPECT_EQ(position(), before);
    click(scene_, 0, 8);  // neither half of the choice: the question stays
    EXPECT_TRUE(scene_.choosingPromotion);

    click(scene_, 4, 2, kRightButton);
    EXPECT_FALSE(scene_.choosingPromotion);
    EXPECT_EQ(scene_.selected.piece, -1);
    EXPECT_EQ(position(), before);
    EXPECT_TRUE(heard_.events.empty());

    click(scene_, 4, 3);
    click(scene_, 4, 2);
    answer(4, 2, false);
    EXPECT_EQ(scene_.board().cellAt(4, 2).piece, Silver);
    scene_.resumeStandard(StandardGame(before));
    click(scene_, 4, 3);
    click(scene_, 4, 2);
    answer(4, 2, true);
    EXPECT_EQ(scene_.board().cellAt(4, 2).piece, PromotedSilver);
}

TEST_F(StandardPlay, AForcedPromotionIsNotAsked) {
    startFrom("k8/4P4/9/9/9/9/9/9/4K4 b - 1");
    click(scene_, 4, 1);
    click(scene_, 4, 0);
    EXPECT_FALSE(scene_.choosingPromotion);
    EXPECT_EQ(scene_.board().cellAt(4, 0).piece, PromotedPawn);
}

TEST_F(StandardPlay, AfterMateMovesAreRefusedAndTakingItBackPutsTheGameInPlay) {
    startFrom(kHeadGoldMate);
    clickHand(0, Gold);
    click(scene_, 4, 1);
    ASSERT_EQ(scene_.match.outcome().how, GameEnd::Checkmate);
    EXPECT_EQ(scene_.match.outcome().winner, 0);

    click(scene_, 4, 4);  // whatever is clicked, nothing moves once the game is over
    EXPECT_EQ(scene_.notice, refusedFor(Refusal::GameOver));
    EXPECT_EQ(heard_.events.size(), 1u);

    pressKey(scene_, SDLK_u);
    EXPECT_FALSE(scene_.match.outcome().over());
    EXPECT_EQ(position().hands[0][Gold], 1);
    EXPECT_EQ(scene_.turn(), 0);
    EXPECT_EQ(scene_.notice, "");
    EXPECT_EQ(heard_.events.back(), MoveEvent::TakenBack);
    pressKey(scene_, SDLK_r);
    EXPECT_EQ(scene_.match.outcome().how, GameEnd::Checkmate);
    EXPECT_EQ(heard_.events.back(), MoveEvent::Replayed);
}

TEST_F(StandardPlay, ResigningAsksFirstAndTheQuestionLapses) {
    startFrom(kHeadGoldMate);
    pressKey(scene_, SDLK_g);
    EXPECT_EQ(scene_.notice, "Blue resigns? Press G again to confirm");
    fakeNow += GameScene::kConfirmWindowMs + 1;
    frame(scene_, 0, 0, 0);
    EXPECT_EQ(scene_.notice, "");  // too late: the question is gone from the screen
    pressKey(scene_, SDLK_g);
    EXPECT_FALSE(scene_.match.outcome().over());

    fakeNow += 500;
    pressKey(scene_, SDLK_g);
    EXPECT_EQ(scene_.match.outcome().how, GameEnd::Resignation);
    EXPECT_EQ(scene_.match.outcome().winner, 1);
    EXPECT_EQ(heard_.events, std::vector<MoveEvent>{MoveEvent::Ended});

    pressKey(scene_, SDLK_u);
    EXPECT_FALSE(scene_.match.outcome().over());
    EXPECT_EQ(heard_.events.back(), MoveEvent::Ended);  // its ending taken back
}

TEST_F(StandardPlay, AClickDropsTheQuestionSoATapOfTheKeyLaterOnlyAsksAgain) {
    startFrom(kHeadGoldMate);
    pressKey(scene_, SDLK_d);
    click(scene_, 4, 4);
    EXPECT_EQ(scene_.asking, GameScene::Question::None);
    pressKey(scene_, SDLK_d);
    EXPECT_FALSE(scene_.match.outcome().over());
    EXPECT_EQ(scene_.asking, GameScene::Question::Impasse);
}

TEST_F(StandardPlay,
       NewGameUnderTheSimpleRulesAsksThenChoosesThenStartsAfreshAndTellsTheObservers) {
    click(scene_, 2, 6);
    click(scene_, 2, 5);
    pressKey(scene_, SDLK_n);
    EXPECT_EQ(scene_.notice, "Start a new game? Press N again to confirm");
    EXPECT_EQ(scene_.match.ply(), 1u);
    EXPECT_EQ(heard_.newGames, 0);

    fakeNow += 1000;
    pressKey(scene_, SDLK_n);
    EXPECT_TRUE(scene_.newGamePanel.isOpen());
    EXPECT_EQ(scene_.match.ply(), 1u);
    EXPECT_EQ(heard_.newGames, 0);
    static const Uint8 noKeysHeld[SDLK_LAST] = {};
    Keyboard::instance().noteKeyDown(SDLK_RETURN);
    Keyboard::instance().refreshFrom(noKeysHeld);
    EXPECT_EQ(scene_.update(), GameScene::kBeginChosenGame);
    Keyboard::instance().refreshFrom(noKeysHeld);
    EXPECT_EQ(scene_.match.ply(), 1u);  // the application starts the game chosen
    GameRecord simple;
    scene_.beginGame(simple);
    Board start;
    start.reset();
    EXPECT_EQ(scene_.board(), start);
    EXPECT_EQ(scene_.match.ply(), 0u);
    EXPECT_TRUE(scene_.match.record().root().children.empty());
    EXPECT_EQ(scene_.turn(), 0);
    EXPECT_EQ(scene_.rules(), RuleSet::Simple);
    EXPECT_EQ(scene_.notice, "");
    EXPECT_EQ(heard_.newGames, 1);
}

TEST_F(StandardPlay, TakingBackADropPutsThePieceBackInHandAndReplayDropsItAgain) {
    startFrom(kPinnedGold);
    clickHand(0, Gold);
    click(scene_, 0, 5);
    pressKey(scene_, SDLK_BACKSPACE);
    EXPECT_EQ(position().hands[0][Gold], 1);
    EXPECT_EQ(scene_.board().cellAt(0, 5).piece, Empty);
    pressKey(scene_, SDLK_r);
    EXPECT_EQ(position().hands[0][Gold], 0);
    EXPECT_EQ(scene_.board().cellAt(0, 5).piece, Gold);
    EXPECT_EQ(heard_.events, (std::vector<MoveEvent>{MoveEvent::Played, MoveEvent::TakenBack,
                                                     MoveEvent::Replayed}));
}

}  // namespace
}  // namespace ixo::test
