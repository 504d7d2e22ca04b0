#include "record/opened_game.h"

#include <filesystem>
#include <utility>

#include "record/record_format.h"

namespace ixo {

namespace fs = std::filesystem;

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
    game.rules = reading.record.rules;
    game.warnings = std::move(reading.warnings);
    game.record = std::move(reading.record);
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
