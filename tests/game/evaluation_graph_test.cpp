#include "game/evaluation_graph.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <string>

#include "record/kif_reader.h"

namespace ixo {
namespace {

Evaluation centipawns(int value) {
    Evaluation evaluation;
    evaluation.centipawns = value;
    return evaluation;
}
Evaluation mateIn(int plies) {
    Evaluation evaluation;
    evaluation.mateIn = plies;
    return evaluation;
}

TEST(EvaluationGraphChances, FollowTheMainLineWithGapsAndMates) {
    RecordReading reading = readKifRecord(
        "手合割：平手\n手数----指手---------消費時間--\n"
        "   1 ７六歩(77)\n   2 ３四歩(33)\n   3 ２六歩(27)\n   4 投了\n");
    ASSERT_TRUE(reading.ok()) << reading.error;
    GameRecord& record = reading.record;
    std::vector<RecordNode*> nodes;
    for (RecordNode* node = &record.root(); node; node = node->mainChild()) {
        nodes.push_back(node);
    }
    ASSERT_EQ(nodes.size(), 5u);  // the start, three moves and the resignation
    nodes[0]->evaluated = true;
    nodes[0]->evaluation = centipawns(600);
    nodes[2]->evaluated = true;
    nodes[2]->evaluation = mateIn(-3);
    nodes[3]->evaluated = true;
    nodes[3]->evaluation = mateIn(5);

    const auto chances = EvaluationGraph::chancesAlong(record);
    ASSERT_EQ(chances.size(), 4u);  // the ending is no position of its own
    ASSERT_TRUE(chances[0]);
    EXPECT_NEAR(*chances[0], 100.0 / (1.0 + std::exp(-1.0)), 1e-9);
    EXPECT_FALSE(chances[1]);
    EXPECT_EQ(chances[2], 0.0);
    EXPECT_EQ(chances[3], 100.0);
}

TEST(EvaluationGraphMapping, PlyAtInvertsTheColumnsAndRefusesClicksOffTheChart) {
    for (int plies : {1, 2, 7, 219, 1000}) {
        EvaluationGraph graph({580, 404, 212, 76});
        graph.setChances(std::vector<std::optional<double>>(plies, 50.0));
        const Box chart = graph.chart();
        const int middle = chart.top + chart.height / 2;
        for (int ply : {0, plies / 2, plies - 1}) {
            const int x = graph.xOfPly(ply);
            EXPECT_TRUE(chart.contains(x, middle)) << plies << " plies, ply " << ply;
            // With more plies than columns several share a column; any of them is the click's.
            EXPECT_EQ(graph.xOfPly(graph.plyAt(x, middle)), x) << plies << " plies, ply " << ply;
            if (plies <= chart.width) {
                EXPECT_EQ(graph.plyAt(x, middle), ply) << plies << " plies";
            }
        }
        EXPECT_EQ(graph.xOfPly(plies - 1), plies > 1 ? chart.left + chart.width - 1 : chart.left);
        EXPECT_EQ(graph.plyAt(chart.left - 1, middle), -1);
        EXPECT_EQ(graph.plyAt(chart.left + chart.width, middle), -1);
        EXPECT_EQ(graph.plyAt(chart.left, chart.top - 1), -1);
        // The progress strip is not part of the chart.
        EXPECT_EQ(graph.plyAt(chart.left, 404 + 76 - 1), -1);
    }
    EvaluationGraph empty({580, 404, 212, 76});
    EXPECT_EQ(empty.plyAt(600, 420), -1);
}

class EvaluationGraphDrawing : public ::testing::Test {
  protected:
    void SetUp() override {
        surface_ = SDL_CreateRGBSurface(SDL_SWSURFACE, 800, 600, 32, 0xff0000, 0xff00, 0xff, 0);
        ASSERT_NE(surface_, nullptr);
        SDL_FillRect(surface_, nullptr, 0);
    }
    void TearDown() override { SDL_FreeSurface(surface_); }
    Uint32 pixel(int x, int y) const {
        return static_cast<Uint32*>(surface_->pixels)[y * surface_->pitch / 4 + x];
    }
    bool yellowish(int x, int y) const {
        Uint8 r, g, b;
        SDL_GetRGB(pixel(x, y), surface_->format, &r, &g, &b);
        return r > 200 && g > 200 && b < 160;
    }
    bool bluish(int x, int y) const {
        Uint8 r, g, b;
        SDL_GetRGB(pixel(x, y), surface_->format, &r, &g, &b);
        return b > r + 60;
    }
    bool reddish(int x, int y) const {
        Uint8 r, g, b;
        SDL_GetRGB(pixel(x, y), surface_->format, &r, &g, &b);
        return r > b + 40;
    }
    // The columns of the bottom row of the area painted the progress colour.
    int progressWidth(const Box& area) const {
        int count = 0;
        for (int x = area.left; x < area.left + area.width; ++x) {
            Uint8 r, g, b;
            SDL_GetRGB(pixel(x, area.top + area.height - 1), surface_->format, &r, &g, &b);
            count += g > r + 60 && g > b + 40;
        }
        return count;
    }
    SDL_Surface* surface_ = nullptr;
};

TEST_F(EvaluationGraphDrawing, TheMarkerStandsOnTheColumnAClickThereSelects) {
    EvaluationGraph graph({580, 404, 212, 76});
    graph.setChances(std::vector<std::optional<double>>(121, 50.0));
    graph.setCurrent(37);
    graph.draw(surface_);
    const Box chart = graph.chart();
    int marked = -1;
    for (int x = chart.left; x < chart.left + chart.width; ++x) {
        if (yellowish(x, chart.top + 2)) {
            EXPECT_EQ(marked, -1) << "a second marker at " << x;
            marked = x;
        }
    }
    ASSERT_NE(marked, -1);
    EXPECT_EQ(graph.plyAt(marked, chart.top + 2), 37);
}

TEST_F(EvaluationGraphDrawing, CertainWinsReachTheTopAndCertainLossesTheBottom) {
    EvaluationGraph graph({580, 404, 212, 76});
    graph.setChances({100.0, 100.0, 100.0, std::nullopt, 0.0, 0.0, 0.0});
    graph.draw(surface_);
    const Box chart = graph.chart();
    const int bottom = chart.top + chart.height - 1;
    const int winning = graph.xOfPly(1);
    const int losing = graph.xOfPly(5);
    EXPECT_TRUE(bluish(winning, chart.top));
    EXPECT_TRUE(bluish(winning, bottom - 1));
    EXPECT_TRUE(reddish(losing, chart.top + 1));
    EXPECT_FALSE(reddish(losing, bottom));  // Blue's line lies along the floor
    // Nothing of either side is drawn over the ply the engine never saw.
    const int unknown = graph.xOfPly(3) + 1;
    EXPECT_FALSE(bluish(unknown, chart.top + 1));
    EXPECT_FALSE(reddish(unknown, chart.top + 1));
    // The graph keeps to its area.
    EXPECT_EQ(pixel(579, 440), 0u);
    EXPECT_EQ(pixel(792, 440), 0u);
    EXPECT_EQ(pixel(600, 403), 0u);
    EXPECT_EQ(pixel(600, 480), 0u);
}

TEST_F(EvaluationGraphDrawing, TheProgressBarGrowsWithTheAnalysisAndHidesWithNothingToDo) {
    const Box area{580, 404, 212, 76};
    EvaluationGraph graph(area);
    graph.setChances({50.0, 60.0});
    graph.draw(surface_);
    EXPECT_EQ(progressWidth(area), 0);
    graph.setProgress(1, 4);
    graph.draw(surface_);
    EXPECT_EQ(progressWidth(area), 53);
    graph.setProgress(4, 4);
    graph.draw(surface_);
    EXPECT_EQ(progressWidth(area), area.width);
    // More done than there is to do is a full bar, not one past the area.
    graph.setProgress(9, 4);
    graph.draw(surface_);
    EXPECT_EQ(progressWidth(area), area.width);
    EXPECT_EQ(pixel(area.left + area.width, area.top + area.height - 1), 0u);
    graph.setProgress(3, 0);
    graph.draw(surface_);
    EXPECT_EQ(progressWidth(area), 0);
}

TEST(EvaluationGraphVersion, ChangesOnlyWhenWhatIsDrawnDoes) {
    EvaluationGraph graph({580, 404, 212, 76});
    const unsigned start = graph.version();
    graph.setCurrent(-1);
    graph.setProgress(0, 0);
    graph.setChances({});
    EXPECT_EQ(graph.version(), start);
    graph.setCurrent(3);
    EXPECT_NE(graph.version(), start);
    const unsigned marked = graph.version();
    graph.setProgress(2, 10);
    EXPECT_NE(graph.version(), marked);
    const unsigned progressed = graph.version();
    graph.setChances({50.0});
    EXPECT_NE(graph.version(), progressed);
}

}  // namespace
}  // namespace ixo
