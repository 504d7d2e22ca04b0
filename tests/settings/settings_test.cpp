#include "settings/settings.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "app/options.h"
#include "gtest/gtest.h"

namespace ixo {
namespace {

namespace fs = std::filesystem;

class SettingsFile : public ::testing::Test {
  protected:
    void SetUp() override {
        char name[] = "/tmp/ixo-settings-XXXXXX";
        ASSERT_NE(mkdtemp(name), nullptr);
        folder_ = name;
        path_ = settingsPathFor(name, "/home/nobody");
    }
    void TearDown() override { fs::remove_all(folder_); }
    void put(const std::string& bytes) {
        fs::create_directories(fs::path(path_).parent_path());
        std::ofstream(path_, std::ios::binary) << bytes;
    }

    std::string folder_;
    std::string path_;
};

GameChoice aStandardGameAgainstTheComputer() {
    GameChoice choice;
    choice.rules = RuleSet::Standard;
    choice.computerSide = 1;
    choice.level = 3;
    choice.timeControl = {600000, 30000, 0};
    choice.handicap = "香落ち";
    choice.engine = "/bin/true";  // installed everywhere, which is all the reader asks
    return choice;
}

TEST_F(SettingsFile, AChoiceIsWrittenAsTextAndReadBackWhole) {
    GameChoice choice = aStandardGameAgainstTheComputer();
    std::string error;
    ASSERT_TRUE(saveGameChoice(path_, choice, error)) << error;
    std::ifstream stream(path_);
    const std::string text((std::istreambuf_iterator<char>(stream)), {});
    EXPECT_NE(text.find("rules = standard\nopponent = computer-red\nlevel = 3\nclock = 10m\n"
                        "byoyomi = 30s\nhandicap = 香落ち\nengine = /bin/true\n"),
              std::string::npos)
        << text;
    SettingsReading reading = loadGameChoice(path_);
    EXPECT_TRUE(reading.ignored.empty()) << reading.ignored.front();
    EXPECT_EQ(reading.choice, choice);

    // An increment clock, blue's computer and the default engine, replacing the first file.
    choice = GameChoice{};
    choice.computerSide = 0;
    choice.timeControl = {90000, 0, 2000};
    ASSERT_TRUE(saveGameChoice(path_, choice, error)) << error;
    EXPECT_EQ(readGameChoice(writeGameChoice(choice)).choice, choice);
    // No temporary file is left beside it.
    EXPECT_EQ(std::distance(fs::directory_iterator(fs::path(path_).parent_path()),
                            fs::directory_iterator()),
              1);
}

TEST_F(SettingsFile, AMissingFileIsAFirstStartAndSaysNothing) {
    const SettingsReading reading = loadGameChoice(path_);
    EXPECT_TRUE(reading.ignored.empty());
    EXPECT_EQ(reading.choice, GameChoice{});
}

TEST_F(SettingsFile, WhatCannotBeUsedIsIgnoredAndSaidAndTheRestKept) {
    put("# a comment\n"
        "rules = standard\n"
        "colour = green\n"
        "level = 11\n"
        "opponent = computer-purple\n"
        "clock = 3m\n"
        "byoyomi = 30s\n"
        "increment = 2s\n"
        "just words \xff\xc2\x9b[31m\n"
        "handicap = 百枚落ち\n"
        "engine = no-such-engine-anywhere\n");
    const SettingsReading reading = loadGameChoice(path_);
    GameChoice expected;
    expected.rules = RuleSet::Standard;
    expected.timeControl = {180000, 30000, 0};
    EXPECT_EQ(reading.choice, expected);
    ASSERT_EQ(reading.ignored.size(), 7u);
    EXPECT_EQ(reading.ignored[0], "line 3: unknown key colour");
    EXPECT_EQ(reading.ignored[1], "line 4: level = 11 (a level is 1 to 10)");
    // A stray byte or a C1 control (here a terminal's CSI) reaches the terminal as '?'.
    EXPECT_EQ(reading.ignored[3], "line 9: \"just words ???[31m\" is not key = value");
    const std::string report = ignoredReport(path_, reading.ignored);
    // Once, on one line, and not every reason of a file full of them.
    EXPECT_EQ(report.find('\n'), report.size() - 1);
    EXPECT_NE(report.find("and 2 more"), std::string::npos) << report;
    // The first move of an increment game without main time would have no time at all.
    const SettingsReading noMain = readGameChoice("clock = 0\nincrement = 2s\n");
    EXPECT_FALSE(noMain.choice.timeControl.limited());
    EXPECT_EQ(noMain.ignored, std::vector<std::string>{"line 2: an increment without main time"});
}

TEST_F(SettingsFile, ARememberedComputerWithoutAnEngineIsATwoPlayerGame) {
    put("opponent = computer-red\nlevel = 2\n");
    const SettingsReading reading = loadGameChoice(path_, "no-such-default-engine");
    EXPECT_EQ(reading.choice.computerSide, -1);
    EXPECT_EQ(reading.choice.level, 2);
    ASSERT_EQ(reading.ignored.size(), 1u);
    EXPECT_NE(reading.ignored[0].find("two players instead"), std::string::npos);
}

TEST_F(SettingsFile, FilesThatAreNoSettingsAtAllAreIgnoredWhole) {
    put(std::string(kMaxSettingsBytes + 1, 'a'));
    SettingsReading reading = loadGameChoice(path_);
    EXPECT_EQ(reading.choice, GameChoice{});
    EXPECT_EQ(reading.ignored,
              std::vector<std::string>{"the whole file: it is larger than 64 KiB"});

    fs::remove(path_);
    fs::create_directories(path_);
    reading = loadGameChoice(path_);
    ASSERT_EQ(reading.ignored.size(), 1u);
    EXPECT_EQ(reading.ignored[0], "the whole file: it is not a regular file");
    fs::remove(path_);
    ASSERT_EQ(mkfifo(path_.c_str(), 0600), 0);  // would hang a blocking read
    EXPECT_EQ(loadGameChoice(path_).ignored.size(), 1u);
}

Options commandLine(std::vector<const char*> arguments) {
    arguments.insert(arguments.begin(), "ixo-shogi");
    const CommandLine line = parseCommandLine(static_cast<int>(arguments.size()), arguments.data());
    EXPECT_LT(line.exitStatus, 0) << line.message;
    return line.options;
}

TEST(ChooseGame, TheRememberedGameStartsUnlessTheCommandLineChoosesOne) {
    const GameChoice remembered = aStandardGameAgainstTheComputer();
    Options options = commandLine({"--mute"});
    EXPECT_EQ(chooseGame(remembered, options), remembered);
    EXPECT_EQ(options.rules, RuleSet::Standard);
    EXPECT_EQ(options.computerSide, 1);
    EXPECT_EQ(options.level, 3);
    EXPECT_TRUE(options.clockGiven);
    EXPECT_EQ(options.timeControl.byoyomiMs, 30000);
    EXPECT_EQ(options.engine, "/bin/true");

    // One game option chooses the whole game; --engine wins on its own.
    options = commandLine({"--clock", "3m", "--increment", "2s", "--engine", "gpsusi"});
    const GameChoice chosen = chooseGame(remembered, options);
    GameChoice expected;
    expected.timeControl = {180000, 0, 2000};
    expected.engine = "gpsusi";
    EXPECT_EQ(chosen, expected);
    EXPECT_EQ(options.computerSide, -1);
    EXPECT_EQ(options.rules, RuleSet::Simple);

    // No file and no options: the game every first start has played.
    options = commandLine({});
    EXPECT_EQ(chooseGame(GameChoice{}, options), GameChoice{});
    EXPECT_FALSE(options.clockGiven);
    EXPECT_EQ(options.computerSide, -1);
    EXPECT_EQ(options.rules, RuleSet::Simple);
}

}  // namespace
}  // namespace ixo
