#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <csignal>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "match/record_keeper.h"
#include "record/kif_reader.h"
#include "record/kif_writer.h"
#include "record/opened_game.h"
#include "record/record_store.h"
#include "record/text_encoding.h"
#include "reliability/scene_driver.h"
#include "support/record_lines.h"

namespace ixo::test {
namespace {

namespace fs = std::filesystem;

std::string contents(const fs::path& path) {
    std::ifstream file(path, std::ios::binary);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

void put(const fs::path& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

std::vector<std::string> namesIn(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

// The first moves of a game, as the rules make them.
std::vector<Move> opening(int count) {
    Board board;
    board.reset();
    std::vector<Move> moves;
    const int squares[][4] = {{2, 6, 2, 5}, {6, 2, 6, 3}, {1, 7, 7, 1}, {6, 0, 7, 1}};
    for (int index = 0; index < count; ++index) {
        Move made;
        EXPECT_TRUE(playMove(board, index % 2, squares[index][0], squares[index][1],
                             squares[index][2], squares[index][3], &made));
        moves.push_back(made);
    }
    return moves;
}

// A simple-rules game of those moves, as a record.
GameRecord simpleGame(const std::vector<Move>& moves) {
    return lineRecord(RuleSet::Simple, moves);
}

// The main line of a KIF text, or nothing when it does not read.
std::vector<Move> movesIn(const std::string& text) {
    const RecordReading reading = readKifRecord(text);
    EXPECT_TRUE(reading.ok()) << reading.errorLine << ": " << reading.error;
    return mainLineMoves(reading.record);
}

class RecordStore : public ::testing::Test {
  protected:
    reliability::ScratchDirectory scratch_;
    const fs::path games_ = scratch_.root() / "data/ixo-shogi/games";
    const std::time_t start_ = std::time(nullptr);
};

TEST(GamesFolder, FollowsXdgDataHomeOnlyWhenItIsAbsolute) {
    EXPECT_EQ(gamesFolderFor("/x/data", "/home/a").path, "/x/data/ixo-shogi/games");
    EXPECT_EQ(gamesFolderFor("relative", "/home/a").path, "/home/a/.local/share/ixo-shogi/games");
    EXPECT_EQ(gamesFolderFor("", "/home/a").path, "/home/a/.local/share/ixo-shogi/games");
    EXPECT_EQ(gamesFolderFor(nullptr, nullptr).path, "");
    EXPECT_NE(gamesFolderFor(nullptr, "").problem, "");
}

TEST_F(RecordStore, NothingIsWrittenBeforeTheFirstMoveAndTwoGamesOfOneSecondGetTwoFiles) {
    RecordKeeper first({games_.string(), ""}, start_);
    EXPECT_FALSE(fs::exists(games_));
    ASSERT_TRUE(first.write(simpleGame(opening(1))));
    RecordKeeper second({games_.string(), ""}, start_);
    ASSERT_TRUE(second.write(simpleGame(opening(2))));
    ASSERT_TRUE(first.write(simpleGame(opening(3))));
    EXPECT_EQ(namesIn(games_),
              (std::vector<std::string>{recordName(start_, 2), recordName(start_)}));
    // Its shape: the date, the time, then the count (std::regex warns under GCC 12 here).
    std::string shape = recordName(start_, 2);
    std::replace_if(shape.begin(), shape.end(), ::isdigit, '9');
    EXPECT_EQ(shape, "99999999-999999-9.kifu");
    EXPECT_EQ(recordName(start_, 2).substr(16), "2.kifu");
    EXPECT_EQ(movesIn(contents(first.recordPath())), opening(3));
    EXPECT_EQ(movesIn(contents(second.recordPath())), opening(2));

    // A game started again from nothing: the record says so rather than keeping old moves.
    ASSERT_TRUE(first.write(simpleGame({})));
    EXPECT_TRUE(movesIn(contents(first.recordPath())).empty());
}

// A full disk is what a write that cannot finish looks like; the file size limit makes one.
// A synced write can take many milliseconds; it must come after the frame that shows the move.
TEST_F(RecordStore, AMoveIsWrittenOnlyAfterTheFrameThatShowsIt) {
    Match match;
    RecordKeeper keeper({games_.string(), ""}, start_);
    match.addObserver(&keeper);
    const Move move = opening(1).front();
    ASSERT_EQ(match.play(requestOf(move)), Refusal::None);
    EXPECT_FALSE(fs::exists(games_));
    keeper.afterFrame();
    ASSERT_EQ(namesIn(games_).size(), 1u);
    EXPECT_NE(contents(games_ / namesIn(games_).front()).find("(77)"), std::string::npos);
}

TEST_F(RecordStore, AWriteThatFailsHalfwayLeavesTheOldRecordWholeAndNoLeftovers) {
    fs::create_directories(games_);
    const fs::path record = games_ / "game.kifu";
    put(record, "old record");
    rlimit previous{};
    getrlimit(RLIMIT_FSIZE, &previous);
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = previous;
    small.rlim_cur = 4;
    setrlimit(RLIMIT_FSIZE, &small);
    std::string error;
    const bool written =
        writeFileAtomically(record.string(), "a much longer new record", false, error);
    setrlimit(RLIMIT_FSIZE, &previous);
    std::signal(SIGXFSZ, previousHandler);

    EXPECT_FALSE(written);
    EXPECT_NE(error, "");
    EXPECT_EQ(contents(record), "old record");
    EXPECT_EQ(namesIn(games_), std::vector<std::string>{"game.kifu"});
}

TEST_F(RecordStore, WithoutAUsableFolderTheGameGoesOnAndSaysWhyOnce) {
    put(scratch_.root() / "data", "a file where the folder should be");
    RecordKeeper keeper({games_.string(), ""}, start_);
    RecordKeeper homeless(gamesFolderFor(nullptr, nullptr), start_);
    ::testing::internal::CaptureStderr();
    EXPECT_FALSE(keeper.write(simpleGame(opening(1))));
    EXPECT_FALSE(keeper.write(simpleGame(opening(2))));
    EXPECT_FALSE(homeless.write(simpleGame(opening(1))));
    const std::string said = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 2) << said;
    EXPECT_NE(said.find(games_.string()), std::string::npos) << said;
}

TEST_F(RecordStore, ReadingRefusesFoldersPipesAndFilesOverTheLimit) {
    std::string bytes;
    std::string error;
    EXPECT_FALSE(readRecordFile(scratch_.root().string(), bytes, error));
    const fs::path pipe = scratch_.root() / "pipe";
    ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
    EXPECT_FALSE(readRecordFile(pipe.string(), bytes, error));  // and does not wait for a writer
    const fs::path large = scratch_.root() / "large.kif";
    put(large, std::string(kMaxRecordFileBytes + 1, '#'));
    EXPECT_FALSE(readRecordFile(large.string(), bytes, error));
    EXPECT_EQ(error, "is larger than 2 MiB, too large for a game record");
    fs::resize_file(large, kMaxRecordFileBytes);
    EXPECT_TRUE(readRecordFile(large.string(), bytes, error)) << error;
}

TEST_F(RecordStore, ContinueOpensTheRecordWrittenLastAndGoesOnWritingIt) {
    RecordKeeper older({games_.string(), ""}, start_ + 60);
    ASSERT_TRUE(older.write(simpleGame(opening(3))));
    RecordKeeper newer({games_.string(), ""}, start_);
    ASSERT_TRUE(newer.write(simpleGame(opening(2))));
    put(games_ / ".20991231-000000.kifu.AbCdEf", "a temporary file left by a crash");
    fs::last_write_time(older.recordPath(),
                        fs::last_write_time(newer.recordPath()) - std::chrono::hours(1));

    OpenedGame game;
    std::string error;
    ASSERT_TRUE(openGame(true, "", {games_.string(), ""}, start_ + 600, game, error)) << error;
    EXPECT_EQ(game.recordPath, newer.recordPath());
    EXPECT_EQ(mainLineMoves(game.record), opening(2));
    EXPECT_EQ(game.startTime, start_);

    const GamesFolder empty{(scratch_.root() / "none").string(), ""};
    EXPECT_FALSE(openGame(true, "", empty, start_, game, error));
}

TEST_F(RecordStore, AFileFromElsewhereIsOnlyReadAndARefusalNamesFileAndLine) {
    const fs::path file = scratch_.root() / "from elsewhere.kif";
    put(file, writeKifRecord(simpleGame(opening(2))));
    OpenedGame game;
    std::string error;
    ASSERT_TRUE(openGame(false, file.string(), {games_.string(), ""}, start_, game, error));
    EXPECT_EQ(mainLineMoves(game.record), opening(2));
    EXPECT_EQ(game.recordPath, "");
    EXPECT_EQ(game.startTime, start_);

    std::string text = writeKifRecord(simpleGame(opening(2)));
    text.replace(text.find("(77)"), 4, "(78)");  // the pawn is not there
    put(file, text);
    EXPECT_FALSE(openGame(false, file.string(), {games_.string(), ""}, start_, game, error));
    const auto line = std::count(text.begin(), text.begin() + text.find("(78)"), '\n') + 1;
    EXPECT_EQ(error.rfind(file.string() + ":" + std::to_string(line) + ": ", 0), 0u) << error;
}

MoveRequest usi(const char* text) {
    MoveRequest request;
    EXPECT_TRUE(parseUsiMove(text, request)) << text;
    return request;
}

TEST_F(RecordStore, AStandardGameIsWrittenWithItsEndingAndANewGameGetsARecordOfItsOwn) {
    Match match(RuleSet::Standard);
    RecordKeeper keeper({games_.string(), ""}, start_);
    match.addObserver(&keeper);
    ASSERT_EQ(match.play(usi("7g7f")), Refusal::None);
    keeper.afterFrame();
    match.resign();
    keeper.afterFrame();
    const std::string first = keeper.recordPath();
    const std::string ended = contents(first);
    EXPECT_NE(ended.find("\n   2 投了\nまで1手で先手の勝ち\n"), std::string::npos) << ended;
    Match readBack(RuleSet::Standard);
    std::string error;
    ASSERT_TRUE(readBack.load(readKifRecord(ended).record, error)) << error;
    EXPECT_EQ(readBack.outcome().how, GameEnd::Resignation);

    match.newGame();
    EXPECT_EQ(keeper.recordPath(), "");
    EXPECT_EQ(namesIn(games_).size(), 1u);  // nothing before the new game's first move
    ASSERT_EQ(match.play(usi("2g2f")), Refusal::None);
    keeper.afterFrame();
    EXPECT_NE(keeper.recordPath(), first);
    EXPECT_EQ(contents(first), ended);
    EXPECT_EQ(movesIn(contents(keeper.recordPath())), match.played());

    // --continue goes on with the newer game, under its rules, in its own file.
    fs::last_write_time(first, fs::last_write_time(keeper.recordPath()) - std::chrono::hours(1));
    OpenedGame game;
    ASSERT_TRUE(openGame(true, "", {games_.string(), ""}, start_, game, error)) << error;
    EXPECT_EQ(game.rules, RuleSet::Standard);
    EXPECT_EQ(game.recordPath, keeper.recordPath());
    EXPECT_EQ(mainLineMoves(game.record), match.played());
}

TEST_F(RecordStore, ARecordFromElsewhereGoesOnUnderStandardRulesKeepingWhatItSaid) {
    const fs::path file = scratch_.root() / "title game.kif";
    put(file, "棋戦：王位戦\n手合割：角落ち\n下手：B\n上手：A\n   1 ３四歩(33)\n   2 投了\n");
    OpenedGame game;
    std::string error;
    ASSERT_TRUE(openGame(false, file.string(), {games_.string(), ""}, start_, game, error))
        << error;
    EXPECT_EQ(game.rules, RuleSet::Standard);

    // Taken back out of the resignation and played on, it is written with what it said.
    GameScene scene(nullptr);
    ASSERT_TRUE(scene.match.load(game.record, error)) << error;
    EXPECT_EQ(scene.match.outcome().how, GameEnd::Resignation);
    EXPECT_EQ(scene.match.outcome().winner, 1);
    RecordKeeper keeper({games_.string(), ""}, start_, game.recordPath);
    scene.match.addObserver(&keeper);
    // The resignation first, on its own, then the move before it.
    ASSERT_TRUE(scene.match.current().isEnd());
    ASSERT_TRUE(scene.match.takeBack());
    ASSERT_FALSE(scene.match.outcome().over());
    ASSERT_EQ(scene.match.ply(), 1u);
    ASSERT_TRUE(scene.match.takeBack());
    ASSERT_EQ(scene.match.ply(), 0u);
    ASSERT_EQ(scene.match.play(usi("8c8d")), Refusal::None);
    keeper.afterFrame();
    const std::string written = contents(keeper.recordPath());
    EXPECT_NE(written.find("棋戦：王位戦\n手合割：角落ち\n下手：B\n上手：A\n"), std::string::npos)
        << written;
    EXPECT_EQ(written.find("先手：Blue"), std::string::npos) << written;
    // The line taken back is not lost: it stands beside the new move, resignation and all.
    EXPECT_NE(written.find("変化：1手\n   1 ３四歩(33)   ( 0:00/00:00:00)\n   2 投了"),
              std::string::npos)
        << written;
}

// The scene's clock read from `now`, which only the test moves, with the keeper told of every
// move as the game tells it, and the pointer driven without a display.
class TimedRecord : public RecordStore {
  protected:
    void SetUp() override {
        reliability::FakePointer::install();
        scene_.ticks = [this] { return now_; };
    }
    void TearDown() override { reliability::FakePointer::uninstall(); }
    void keep(RecordKeeper& keeper) {
        scene_.match.addObserver(&keeper);
        scene_.update();  // the first frame starts the clocks
    }
    // A piece moved along its column after `ms` of thought, and the frame that shows it.
    void move(RecordKeeper& keeper, int column, int fromRow, int toRow, Uint32 ms) {
        now_ += ms;
        reliability::clickSquare(scene_, column, fromRow);
        reliability::clickSquare(scene_, column, toRow);
        keeper.afterFrame();
    }

    Uint32 now_ = 5000;
    GameScene scene_{nullptr};
};

// A record from elsewhere continued here: its moves keep their times, and the totals of the
// moves made here go on from them.
TEST_F(TimedRecord, AnOpenedRecordsTimesAreKeptAndItsTotalsGoOn) {
    const fs::path file = scratch_.root() / "club game.kif";
    put(file, "手合割：平手\n   1 ７六歩(77) ( 0:10/00:00:10)\n   2 ３四歩(33) (61:00/01:01:00)\n");
    OpenedGame game;
    std::string error;
    ASSERT_TRUE(openGame(false, file.string(), {games_.string(), ""}, start_, game, error))
        << error;
    ASSERT_EQ(mainLineTimes(game.record).size(), 2u);
    EXPECT_EQ(mainLineTimes(game.record)[1].usedMs, 61 * 60 * 1000);
    // As the application starts a game from a record.
    scene_.resumeRecord(game.record);
    RecordKeeper keeper({games_.string(), ""}, start_, game.recordPath);
    keep(keeper);
    move(keeper, 7, 6, 5, 4000);
    EXPECT_NE(contents(keeper.recordPath())
                  .find("   1 ７六歩(77)   ( 0:10/00:00:10)\n"
                        "   2 ３四歩(33)   (61:00/01:01:00)\n"
                        "   3 ２六歩(27)   ( 0:04/00:00:14)\n"),
              std::string::npos)
        << contents(keeper.recordPath());
}

// A record from elsewhere holds more than its moves; the game played on from it keeps it all.
TEST_F(RecordStore, PlayingOnFromARecordKeepsItsCommentsAndVariations) {
    const fs::path file = scratch_.root() / "study.kif";
    put(file,
        "手合割：平手\n*An opening to study\n   1 ７六歩(77)\n*The usual start\n"
        "   2 ３四歩(33)\n&Main idea\n\n変化：2手\n   2 ８四歩(83)\n*The other reply\n");
    OpenedGame game;
    std::string error;
    ASSERT_TRUE(openGame(false, file.string(), {games_.string(), ""}, start_, game, error))
        << error;
    GameScene scene(nullptr);
    ASSERT_TRUE(scene.resumeRecord(game.record));
    ASSERT_EQ(scene.match.ply(), 2u);
    RecordKeeper keeper({games_.string(), ""}, start_, game.recordPath);
    scene.match.addObserver(&keeper);
    ASSERT_EQ(scene.match.play(usi("2g2f")), Refusal::None);
    keeper.afterFrame();

    const std::string written = contents(keeper.recordPath());
    for (const char* kept :
         {"*An opening to study\n", "*The usual start\n", "&Main idea\n", "   3 ２六歩(27)",
          "変化：2手\n   2 ８四歩(83)", "*The other reply\n"}) {
        EXPECT_NE(written.find(kept), std::string::npos) << kept << "\n" << written;
    }
}

}  // namespace
}  // namespace ixo::test
