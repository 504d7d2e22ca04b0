#include "match/hint_engine.h"

#include <sys/wait.h>

#include <cerrno>
#include <memory>
#include <string>
#include <vector>

#include "match/computer_opponent.h"
#include "reliability/scene_driver.h"
#include "scene_test_support.h"
#include "shogi/position.h"

namespace ixo::test {
namespace {

int squareIndex(int column, int row) {
    return row * kBoardSize + column;
}

// H in the game scene against the fake engine, driven frame by frame as the main loop would.
class HintTest : public SceneTest {
  protected:
    void TearDown() override {
        hint_.reset();
        errno = 0;
        EXPECT_EQ(waitpid(-1, nullptr, WNOHANG), -1) << "the engine was left behind";
        SceneTest::TearDown();
    }

    void useEngine(std::vector<std::string> arguments, const char* program = IXO_FAKE_ENGINE) {
        EngineSetup setup;
        setup.program = program;
        setup.arguments = std::move(arguments);
        setup.variantFile = IXO_VARIANT_FILE;
        hint_ = std::make_unique<HintEngine>(setup, false);
        scene_.setHint(hint_.get());
    }
    template <typename Done>
    bool runUntil(Done done) {
        return framesUntil(
            scene_, [this] { return hint_->readDescriptor(); }, done);
    }
    bool answered() const { return scene_.notice.rfind("Hint: thinking", 0) != 0; }

    GameScene scene_{nullptr};
    std::unique_ptr<HintEngine> hint_;
};

TEST_F(HintTest, TheEnginesMoveIsShownOnTheBoardAndInKif) {
    useEngine({"--move", "7g7f"});
    scene_.resumeStandard();
    reliability::pressKey(scene_, SDLK_h);
    ASSERT_TRUE(runUntil([&] { return answered(); }));
    EXPECT_EQ(scene_.notice, "Hint: ７六歩");
    EXPECT_EQ(hint_->shown().from, squareIndex(2, 6));
    EXPECT_EQ(hint_->shown().to, squareIndex(2, 5));
    EXPECT_EQ(hint_->shown().drop, -1);
    // A hint only suggests: the position is as it was.
    EXPECT_EQ(scene_.match.ply(), 0u);
    // The player's move makes it stale.
    click(scene_, 6, 6);
    click(scene_, 6, 5);
    EXPECT_EQ(scene_.match.ply(), 1u);
    EXPECT_EQ(hint_->shown().to, -1);
    EXPECT_EQ(scene_.notice.find("Hint"), std::string::npos) << scene_.notice;
}

TEST_F(HintTest, ADropShowsThePieceInHand) {
    useEngine({"--move", "P*5e"});
    Position position;
    std::string error;
    ASSERT_TRUE(parseSfen("4k4/9/9/9/9/9/9/9/4K4 b P 1", position, error)) << error;
    scene_.resumeStandard(position);
    reliability::pressKey(scene_, SDLK_h);
    ASSERT_TRUE(runUntil([&] { return answered(); }));
    EXPECT_EQ(scene_.notice, "Hint: ５五歩打");
    EXPECT_EQ(hint_->shown().from, -1);
    EXPECT_EQ(hint_->shown().to, squareIndex(4, 4));
    EXPECT_EQ(hint_->shown().drop, 0 * 16 + Pawn);
}

TEST_F(HintTest, AMoveTheRulesRefuseIsNeverShown) {
    useEngine({"--move", "7g7c"});
    scene_.resumeStandard();
    reliability::pressKey(scene_, SDLK_h);
    ASSERT_TRUE(runUntil([&] { return answered(); }));
    EXPECT_EQ(hint_->shown().to, -1);
    EXPECT_NE(scene_.notice.find("7g7c"), std::string::npos) << scene_.notice;
}

TEST_F(HintTest, UnderTheSimpleRulesTheHintComesThroughTheVariant) {
    useEngine({"--move", "7g7f", "--variant"});
    reliability::pressKey(scene_, SDLK_h);
    ASSERT_TRUE(runUntil([&] { return answered(); }));
    EXPECT_EQ(scene_.notice, "Hint: ７六歩");
    // A second H takes it away.
    reliability::pressKey(scene_, SDLK_h);
    EXPECT_EQ(hint_->shown().to, -1);
    EXPECT_TRUE(scene_.notice.empty()) << scene_.notice;
}

TEST_F(HintTest, WithoutAnEngineHSaysSo) {
    useEngine({}, "no-such-engine-anywhere");
    reliability::pressKey(scene_, SDLK_h);
    EXPECT_EQ(scene_.notice.rfind("No engine for hints", 0), 0u) << scene_.notice;
    EXPECT_EQ(hint_->readDescriptor(), -1);
}

TEST_F(HintTest, ACrashInTheSearchIsToldAndTheNextHStartsAnew) {
    useEngine({"--crash-in-search"});
    scene_.resumeStandard();
    reliability::pressKey(scene_, SDLK_h);
    ASSERT_TRUE(runUntil([&] { return answered(); }));
    EXPECT_EQ(scene_.notice.rfind("No hint: ", 0), 0u) << scene_.notice;
    EXPECT_EQ(hint_->shown().to, -1);
    reliability::pressKey(scene_, SDLK_h);
    EXPECT_EQ(scene_.notice, "Hint: thinking");
    EXPECT_GE(hint_->readDescriptor(), 0);
}

}  // namespace
}  // namespace ixo::test
