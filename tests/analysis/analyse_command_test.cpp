#include <dirent.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <sys/stat.h>

#include <algorithm>
#include <fstream>
#include <sstream>

#include "analysis/analyse_command.h"
#include "analysis/analysis_harness.h"
#include "support/installed_engine.h"

namespace ixo::testing {
namespace {

// Each case in a folder of its own, removed afterwards with whatever is in it.
class AnalyseCommand : public EngineTest {
  protected:
    void SetUp() override {
        EngineTest::SetUp();
        char pattern[] = "/tmp/ixo-analyse-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        folder = pattern;
        options.engine = fakeAnalyst({kShortGameAnswers});
        options.defaultEngine = false;
        options.msPerMove = 50;
    }
    void TearDown() override {
        ASSERT_EQ(std::system(("rm -rf '" + folder + "'").c_str()), 0);
        EngineTest::TearDown();
    }

    std::string file(const std::string& name, const std::string& text) {
        const std::string path = folder + "/" + name;
        std::ofstream(path) << text;
        return path;
    }
    static std::string contents(const std::string& path) {
        std::ifstream stream(path);
        std::ostringstream text;
        text << stream.rdbuf();
        return text.str();
    }
    // Every name in `path`, sorted, so a leftover temporary file shows.
    static std::vector<std::string> listing(const std::string& path) {
        std::vector<std::string> names;
        if (DIR* folder = opendir(path.c_str())) {
            while (const dirent* entry = readdir(folder)) {
                if (entry->d_name[0] != '.') {
                    names.push_back(entry->d_name);
                }
            }
            closedir(folder);
        }
        std::sort(names.begin(), names.end());
        return names;
    }

    std::string folder;
    AnalysisOptions options;
    std::ostringstream terminal;
};

TEST_F(AnalyseCommand, WritesTheRecordWithItsVerdictsAndSaysHowItWent) {
    const std::string input = file("game.kif", kShortGame);
    const std::string output = folder + "/analysed.kif";
    EXPECT_EQ(analyseRecords({input}, output, options, terminal), 0) << terminal.str();

    RecordReading reading = readKifRecord(contents(output));
    ASSERT_TRUE(reading.ok()) << reading.error;
    for (const RecordNode* node : mainLine(reading.record)) {
        EXPECT_TRUE(node->evaluated) << "ply " << node->ply;
    }
    // Not a terminal: plain lines, the first and the last step among them.
    EXPECT_NE(terminal.str().find("game.kif: 0/5 positions\n"), std::string::npos)
        << terminal.str();
    EXPECT_NE(terminal.str().find("game.kif: 5/5 positions\n"), std::string::npos);
    EXPECT_EQ(terminal.str().find('\r'), std::string::npos);
}

TEST_F(AnalyseCommand, AFileThatIsNoRecordIsRefusedAndNothingIsWritten) {
    const std::string input = file("notes.kif", "shopping list: eggs, milk\n\x01\x02");
    const std::string output = folder + "/out.kif";
    EXPECT_EQ(analyseRecords({input}, output, options, terminal), 1);
    EXPECT_NE(terminal.str().find("notes.kif is not a record it can read"), std::string::npos)
        << terminal.str();
    EXPECT_EQ(listing(folder), std::vector<std::string>{"notes.kif"});
}

TEST_F(AnalyseCommand, AnOutputThatCannotBeWrittenFailsAndLeavesNothingBehind) {
    const std::string input = file("game.kif", kShortGame);
    const std::string output = folder + "/missing-folder/out.kif";
    EXPECT_EQ(analyseRecords({input}, output, options, terminal), 1);
    EXPECT_NE(terminal.str().find("cannot write " + output), std::string::npos) << terminal.str();
    EXPECT_EQ(listing(folder), std::vector<std::string>{"game.kif"});
}

TEST_F(AnalyseCommand, AnAnalysisCutShortWritesNothing) {
    options.engine = fakeAnalyst({kShortGameAnswers, "--crash-at=3"});
    const std::string input = file("game.kif", kShortGame);
    const std::string output = folder + "/out.kif";
    EXPECT_EQ(analyseRecords({input}, output, options, terminal), 1);
    EXPECT_NE(terminal.str().find("3 of 5 positions"), std::string::npos) << terminal.str();
    EXPECT_EQ(listing(folder), std::vector<std::string>{"game.kif"});
}

TEST_F(AnalyseCommand, AFolderGoesToAFolderAndOneBadRecordSpoilsNoOther) {
    ASSERT_EQ(mkdir((folder + "/in").c_str(), 0700), 0);
    file("in/a.kif", kShortGame);
    file("in/b.kifu", kShortGame);
    file("in/broken.kif", "手合割：平手\n   1 ７七歩(76)\n");
    file("in/readme.txt", "not looked at");
    EXPECT_EQ(analyseRecords({folder + "/in"}, folder + "/out", options, terminal), 1);
    EXPECT_EQ(listing(folder + "/out"), (std::vector<std::string>{"a.kif", "b.kifu"}));
    EXPECT_NE(terminal.str().find("broken.kif is not a record"), std::string::npos)
        << terminal.str();
}

TEST_F(AnalyseCommand, SeveralRecordsForOneFileIsAUsageError) {
    const std::string first = file("a.kif", kShortGame);
    const std::string second = file("b.kif", kShortGame);
    const std::string output = file("out.kif", "keep me");
    EXPECT_EQ(analyseRecords({first, second}, output, options, terminal), 2);
    EXPECT_EQ(contents(output), "keep me");
}

TEST_F(AnalyseCommand, OnATerminalOneLineUpdatesInPlace) {
    options.interactive = true;
    const std::string input = file("game.kif", kShortGame);
    EXPECT_EQ(analyseRecords({input}, folder + "/out.kif", options, terminal), 0);
    EXPECT_NE(terminal.str().find("\r[##############################] 5/5 game.kif"),
              std::string::npos)
        << terminal.str();
}

TEST_F(AnalyseCommand, FairyStockfishAnalysesARealRecord) {
    REQUIRE_ENGINE("fairy-stockfish");
    options.engine = EngineSetup{};
    options.engine.program = "fairy-stockfish";
    options.msPerMove = 100;
    const std::string input = file("game.kif", kShortGame);
    const std::string output = folder + "/out.kif";
    ASSERT_EQ(analyseRecords({input}, output, options, terminal), 0) << terminal.str();
    const std::string written = contents(output);
    EXPECT_NE(written.find("*#評価値="), std::string::npos) << written;
    EXPECT_NE(written.find("*#読み筋=▲"), std::string::npos) << written;
}

}  // namespace
}  // namespace ixo::testing
