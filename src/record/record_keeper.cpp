#include "record/record_keeper.h"

#include <cstdio>
#include <filesystem>
#include <system_error>
#include <utility>

#include "game/computer_opponent.h"
#include "game/game_scene.h"
#include "match/record_text.h"
#include "record/kif.h"
#include "record/kif_writer.h"
#include "record/record_format.h"
#include "record/text_encoding.h"

namespace ixo {

namespace fs = std::filesystem;

namespace {

// Enough for every game two people can start within one second, and a bound on the search.
constexpr int kMostAttempts = 100;

std::string kifTime(std::time_t when) {
    std::tm local{};
    localtime_r(&when, &local);
    char text[32];
    std::strftime(text, sizeof text, "%Y/%m/%d %H:%M:%S", &local);
    return text;
}

}  // namespace

RecordKeeper::RecordKeeper(GamesFolder folder, std::time_t startTime, std::string recordPath,
                           std::vector<KifHeader> kept)
    : folder_(std::move(folder)),
      startTime_(startTime),
      recordPath_(std::move(recordPath)),
      kept_(std::move(kept)) {}

void RecordKeeper::onMoveEvent(const GameScene& scene, const Move&, MoveEvent) {
    // A copy, since the match goes on before the frame that shows this change is up; a few
    // hundred nodes take microseconds.
    unwrittenRecord_ = scene.match.record();
    if (scene.computer && !scene.computer->recordName().empty()) {
        (scene.computer->side() == 0 ? players_.blue : players_.red) = scene.computer->recordName();
    }
    changed_ = true;
}

void RecordKeeper::onNewGame(const GameScene&) {
    // A change still waiting for its frame belongs to the game that ends here, so its record
    // gets it before the new game takes a file of its own.
    afterFrame();
    recordPath_.clear();
    kept_.clear();
    // The next game may have another computer, or none: it names its own players.
    players_ = KifPlayers{};
    startTime_ = std::time(nullptr);
}

void RecordKeeper::afterFrame() {
    if (changed_) {
        changed_ = false;
        GameRecord& record = unwrittenRecord_;
        setGameHeaders(record, kifTime(startTime_));
        setPlayerName(record, 0, players_.blue);
        setPlayerName(record, 1, players_.red);
        writeText(writeKifRecord(record));
    }
}

bool RecordKeeper::write(const std::vector<Move>& moves, const std::vector<MoveTime>& times) {
    return writeText(writeKif(moves, kifTime(startTime_), times, players_));
}

bool RecordKeeper::writeStandard(const StandardGame& game, const std::vector<MoveTime>& times) {
    return writeText(writeStandardKif(game, kifTime(startTime_), kept_, times, players_));
}

bool RecordKeeper::writeText(const std::string& text) {
    failing_ = !store(text);
    return !failing_;
}

bool RecordKeeper::store(const std::string& text) {
    std::string error;
    if (!recordPath_.empty()) {
        if (!writeFileAtomically(recordPath_, text, false, error)) {
            complain(error);
            return false;
        }
        return true;
    }
    if (folder_.path.empty()) {
        complain(folder_.problem);
        return false;
    }
    std::error_code failure;
    fs::create_directories(folder_.path, failure);
    if (failure) {
        complain("cannot make the folder " + folder_.path + ": " + failure.message());
        return false;
    }
    for (int attempt = 1; attempt <= kMostAttempts; ++attempt) {
        const std::string path = folder_.path + "/" + recordName(startTime_, attempt);
        if (fs::exists(fs::symlink_status(path, failure))) {
            continue;
        }
        if (writeFileAtomically(path, text, true, error)) {
            recordPath_ = path;
            return true;
        }
        // Another game took the name between the look and the write: try the next one.
        if (!fs::exists(fs::symlink_status(path, failure))) {
            complain(error);
            return false;
        }
    }
    complain("no free name for a record in " + folder_.path);
    return false;
}

void RecordKeeper::complain(const std::string& why) {
    if (!complained_) {
        std::fprintf(stderr, "ixo-shogi: games are not being recorded: %s\n", why.c_str());
        complained_ = true;
    }
}

bool openGame(bool continueLast, const std::string& file, const GamesFolder& folder,
              std::time_t now, OpenedGame& game, std::string& error) {
    std::string path = file;
    if (continueLast) {
        if (folder.path.empty()) {
            error = "no games folder: " + folder.problem;
            return false;
        }
        path = newestRecord(folder.path);
        if (path.empty()) {
            error = "no game to continue in " + folder.path;
            return false;
        }
    }
    std::string bytes;
    std::string why;
    if (!readRecordFile(path, bytes, why)) {
        error = path + ": " + why;
        return false;
    }
    // KIF, KI2 or CSA, told apart by what the file holds rather than by its name.
    RecordReading reading = readAnyRecord(bytes);
    if (!reading.ok()) {
        error = path + ":" +
                (reading.errorLine > 0 ? std::to_string(reading.errorLine) + ":" : "") + " " +
                reading.error;
        return false;
    }
    GameRecord& record = reading.record;
    game.rules = record.rules;
    game.moves.clear();
    game.times.clear();
    for (const RecordNode* node : GameRecord::path(record.mainLineEnd())) {
        if (!node->isEnd()) {
            game.moves.push_back(node->move);
            game.times.push_back(node->time);
        }
    }
    game.standard = record.rules == RuleSet::Standard ? mainLineGame(record) : StandardGame{};
    game.headers = record.headers;
    game.warnings = std::move(reading.warnings);
    game.record = std::move(record);
    game.recordPath.clear();
    game.startTime = now;
    // Only a record of our own is written on; anything else, even in the games folder, is
    // only read, and the game goes on in a new record.
    const fs::path name = fs::path(path).filename();
    if (!folder.path.empty() && name.extension() == ".kifu" && isInFolder(path, folder.path)) {
        game.recordPath = path;
        const std::time_t started = startTimeOfRecordName(name.string());
        if (started != -1) {
            game.startTime = started;
        }
    }
    return true;
}

}  // namespace ixo
