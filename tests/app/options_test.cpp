#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/options.h"

namespace ixo::test {
namespace {

struct Case {
    std::vector<const char*> arguments;  // after the program's name
    int exitStatus;                      // -1: the game starts
    bool fullscreen;
    bool mute;
    bool continueLast;
    std::string recordPath;
    std::string said;  // part of the message, for those that exit
};

TEST(CommandLine, ConvertTakesTheRecordToWriteAsItsSecondName) {
    const char* argv[] = {"ixo-shogi", "--convert", "in.csa", "out.kifu"};
    const CommandLine line = parseCommandLine(4, argv);
    ASSERT_EQ(line.exitStatus, -1) << line.message;
    EXPECT_EQ(line.options.convertFrom, "in.csa");
    EXPECT_EQ(line.options.convertTo, "out.kifu");
    // Not a game to open as well.
    EXPECT_EQ(line.options.recordPath, "");
}

TEST(CommandLine, AnalyseReadsItsFilesAndTimeWithTheEnginesOptions) {
    const char* argv[] = {"ixo-shogi", "--analyse",           "games",    "--output",
                          "out",       "--analysis-time=0.5", "--engine", "gpsusi"};
    const CommandLine line = parseCommandLine(8, argv);
    ASSERT_EQ(line.exitStatus, -1) << line.message;
    EXPECT_EQ(line.options.analyseFrom, "games");
    EXPECT_EQ(line.options.analyseTo, "out");
    EXPECT_EQ(line.options.analysisMs, 500);
    EXPECT_EQ(line.options.engine, "gpsusi");
}

TEST(CommandLine, Table) {
    const Case cases[] = {
        {{}, -1, false, false, false, "", ""},
        {{"--fullscreen", "--mute"}, -1, true, true, false, "", ""},
        {{"--continue"}, -1, false, false, true, "", ""},
        {{"game.kifu", "--mute"}, -1, false, true, false, "game.kifu", ""},
        {{"-"}, -1, false, false, false, "-", ""},
        {{"--", "--odd.kif"}, -1, false, false, false, "--odd.kif", ""},
        {{"--mute", "--help", "--bogus"}, 0, false, false, false, "", "U or Backspace"},
        {{"--version"}, 0, false, false, false, "", "ixo-shogi 0."},
        {{"--bogus"}, 2, false, false, false, "", "unknown option --bogus\nUsage:"},
        {{"-x"}, 2, false, false, false, "", "unknown option -x"},
        {{"a.kif", "b.kif"}, 2, false, false, false, "", "one game"},
        {{"--continue", "a.kif"}, 2, false, false, false, "", "cannot both"},
        {{""}, 2, false, false, false, "", "empty file name"},
        {{"--analyse", "a.kif"}, 2, false, false, false, "", "go together"},
        {{"--analysis-time", "2", "game.kif"}, -1, false, false, false, "game.kif", ""},
        {{"--analysis-time", "0"}, 2, false, false, false, "", "needs some time"},
        {{"--analyse", "a.kif", "--output", "o.kif", "--continue"},
         2,
         false,
         false,
         false,
         "",
         "takes only"},
        {{"--analyse", "a.kif", "--output", "o", "--analysis-time", "0"},
         2,
         false,
         false,
         false,
         "",
         "needs some time"},
        {{"--convert", "a.csa"}, 2, false, false, false, "", "--convert needs"},
        {{"--convert", "a.csa", "--continue", "b.kif"}, 2, false, false, false, "", "only IN"},
        {{"--convert", "a.csa", "b.kif", "c.kif"}, 2, false, false, false, "", "one game"},
    };
    for (const Case& expected : cases) {
        std::vector<const char*> argv{"ixo-shogi"};
        argv.insert(argv.end(), expected.arguments.begin(), expected.arguments.end());
        const CommandLine line = parseCommandLine(static_cast<int>(argv.size()), argv.data());
        std::string shown;
        for (const char* argument : expected.arguments) {
            shown += std::string(" [") + argument + "]";
        }
        SCOPED_TRACE(shown);
        EXPECT_EQ(line.exitStatus, expected.exitStatus);
        EXPECT_NE(line.message.find(expected.said), std::string::npos) << line.message;
        if (expected.exitStatus < 0) {
            EXPECT_EQ(line.options.fullscreen, expected.fullscreen);
            EXPECT_EQ(line.options.mute, expected.mute);
            EXPECT_EQ(line.options.continueLast, expected.continueLast);
            EXPECT_EQ(line.options.recordPath, expected.recordPath);
        }
    }
}

TEST(CommandLine, ScaleIsOneToFourOrAutoAndAnythingElseIsRefused) {
    const auto scaleOf = [](std::vector<const char*> arguments) {
        arguments.insert(arguments.begin(), "ixo-shogi");
        const CommandLine line =
            parseCommandLine(static_cast<int>(arguments.size()), arguments.data());
        return line.exitStatus < 0 ? line.options.scale : -line.exitStatus;
    };
    EXPECT_EQ(scaleOf({}), 1);
    EXPECT_EQ(scaleOf({"--scale", "3"}), 3);
    EXPECT_EQ(scaleOf({"--scale=4", "game.kifu"}), 4);
    EXPECT_EQ(scaleOf({"--scale", "auto"}), 0);
    for (const char* refused : {"0", "5", "2x", "", "-1", "12"}) {
        EXPECT_EQ(scaleOf({"--scale", refused}), -2) << refused;
    }
    EXPECT_EQ(scaleOf({"--scale"}), -2);
}

CommandLine parse(std::vector<const char*> arguments) {
    arguments.insert(arguments.begin(), "ixo-shogi");
    return parseCommandLine(static_cast<int>(arguments.size()), arguments.data());
}

TEST(CommandLine, EngineAndClockOptionsAreReadWhole) {
    const CommandLine line = parse({"--computer", "red", "--engine=gpsusi", "--level", "10",
                                    "--engine-option", "Skill Level=3", "--engine-option",
                                    "Clear Hash=", "--clock", "10m", "--byoyomi", "30s"});
    ASSERT_EQ(line.exitStatus, -1) << line.message;
    const Options& options = line.options;
    EXPECT_EQ(options.computerSide, 1);
    EXPECT_EQ(options.engine, "gpsusi");
    EXPECT_EQ(options.level, 10);
    const std::vector<std::pair<std::string, std::string>> engineOptions = {{"Skill Level", "3"},
                                                                            {"Clear Hash", ""}};
    EXPECT_EQ(options.engineOptions, engineOptions);
    EXPECT_EQ(options.timeControl.mainMs, 600000);
    EXPECT_EQ(options.timeControl.byoyomiMs, 30000);
    EXPECT_TRUE(options.engineOrClockGiven);
    EXPECT_FALSE(parse({"--mute"}).options.engineOrClockGiven);
    EXPECT_EQ(parse({"--engine", "gpsusi", "--engine-option", "Hash=64"}).exitStatus, -1);

    const std::pair<std::vector<const char*>, const char*> refused[] = {
        {{"--computer", "green"}, "red or blue, not 'green'"},
        {{"--level", "11"}, "1 to 10, not '11'"},
        {{"--level", "3x"}, "1 to 10"},
        // Without a computer the engine serves hints, but a level would go unheard.
        {{"--level", "3"}, "--level needs --computer"},
        {{"--engine", ""}, "--engine needs"},
        {{"--engine-option", "=3"}, "NAME=VALUE"},
        {{"--engine-option", "Hash=1\ngo infinite"}, "NAME=VALUE"},
        {{"--clock", "ten"}, "such as 10m"},
        {{"--byoyomi", "30"}, "--byoyomi needs --clock"},
        {{"--clock", "5m", "--byoyomi", "10", "--increment", "5"}, "cannot both"},
        {{"--clock", "0"}, "of no time"},
        // The increment comes after a move, so the first move would have no time at all.
        {{"--clock", "0", "--increment", "5s"}, "needs some main time"},
    };
    for (const auto& [arguments, said] : refused) {
        const CommandLine wrong = parse(arguments);
        EXPECT_EQ(wrong.exitStatus, 2) << said;
        EXPECT_NE(wrong.message.find(said), std::string::npos) << wrong.message;
    }
}

TEST(CommandLine, HelpSaysWhereTheRecordsAreKept) {
    setenv("XDG_DATA_HOME", "/somewhere/data", 1);
    EXPECT_NE(usage().find("/somewhere/data/ixo-shogi/games"), std::string::npos) << usage();
    unsetenv("XDG_DATA_HOME");
}

// The password never comes from the command line: from the environment, or a file's first line.
TEST(CommandLine, AServerGameTakesItsAddressUserAndPasswordAndNothingTheServerDecides) {
    setenv("IXO_CSA_PASSWORD", "test-600-10,secret", 1);
    const CommandLine line = parse({"--server", "shogi.example:4000", "--user", "taro",
                                    "--computer", "ours", "--level", "3", "--server-comments"});
    ASSERT_EQ(line.exitStatus, -1) << line.message;
    EXPECT_EQ(line.options.serverHost, "shogi.example");
    EXPECT_EQ(line.options.serverPort, 4000);
    EXPECT_EQ(line.options.serverUser, "taro");
    EXPECT_TRUE(line.options.serverComputer);
    EXPECT_EQ(line.options.computerSide, -1);
    EXPECT_TRUE(line.options.serverComments);
    std::string password;
    std::string error;
    ASSERT_TRUE(readServerPassword(line.options, password, error)) << error;
    EXPECT_EQ(password, "test-600-10,secret");
    EXPECT_EQ(parse({"--server", "localhost", "--user", "a"}).options.serverPort, 4081);
    const CommandLine bracketed = parse({"--server", "[::1]:4082", "--user", "a"});
    EXPECT_EQ(bracketed.options.serverHost, "::1");
    EXPECT_EQ(bracketed.options.serverPort, 4082);

    const std::pair<std::vector<const char*>, const char*> refused[] = {
        {{"--server", "host:0", "--user", "a"}, "HOST or HOST:PORT"},
        {{"--server", "host:65536", "--user", "a"}, "HOST or HOST:PORT"},
        {{"--server", "host:", "--user", "a"}, "HOST or HOST:PORT"},
        {{"--server", "host:+80", "--user", "a"}, "HOST or HOST:PORT"},
        {{"--server", "host"}, "needs --user"},
        {{"--user", "a"}, "need --server"},
        {{"--computer", "ours"}, "needs --server"},
        {{"--server", "host", "--user", "a", "--computer", "red"}, "the server sets"},
        {{"--server", "host", "--user", "a", "--clock", "10m"}, "the server sets"},
        {{"--server", "host", "--user", "a", "game.kifu"}, "takes no record"},
        {{"--server", "host", "--user", "a", "--server-comments"}, "needs --computer ours"},
    };
    for (const auto& [arguments, said] : refused) {
        const CommandLine wrong = parse(arguments);
        EXPECT_EQ(wrong.exitStatus, 2) << said;
        EXPECT_NE(wrong.message.find(said), std::string::npos) << wrong.message;
    }
    unsetenv("IXO_CSA_PASSWORD");
    const CommandLine none = parse({"--server", "host", "--user", "a"});
    EXPECT_EQ(none.exitStatus, 2);
    EXPECT_NE(none.message.find("IXO_CSA_PASSWORD"), std::string::npos) << none.message;
}

TEST(CommandLine, ThePasswordFileGivesItsFirstLineAndAnUnreadableOneSaysWhy) {
    char name[] = "/tmp/ixo-password-XXXXXX";
    const int descriptor = mkstemp(name);
    ASSERT_GE(descriptor, 0);
    const std::string text = "floodgate-600-10F,hunter2\r\nsecond line\n";
    ASSERT_EQ(write(descriptor, text.data(), text.size()), static_cast<ssize_t>(text.size()));
    close(descriptor);
    const CommandLine line = parse({"--server", "host", "--user", "a", "--password-file", name});
    ASSERT_EQ(line.exitStatus, -1) << line.message;
    std::string password;
    std::string error;
    ASSERT_TRUE(readServerPassword(line.options, password, error)) << error;
    EXPECT_EQ(password, "floodgate-600-10F,hunter2");
    std::remove(name);
    EXPECT_FALSE(readServerPassword(line.options, password, error));
    EXPECT_NE(error.find(name), std::string::npos) << error;
}

}  // namespace
}  // namespace ixo::test
