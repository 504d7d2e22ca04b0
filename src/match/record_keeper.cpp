#include "match/record_keeper.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <system_error>
#include <utility>

#include "record/kif_writer.h"

namespace ixo {

namespace fs = std::filesystem;

namespace {

// Enough for every game two people can start within one second, and a bound on the search.
constexpr int kMostAttempts = 100;

// How a record line says an ending the rules found in the position itself, which the match
// keeps no node for; LineEnd::None for any other.
LineEnd judgedEnd(const Match& match) {
    const Outcome& outcome = match.outcome();
    switch (outcome.how) {
        case GameEnd::Checkmate:
            return LineEnd::Checkmate;
        case GameEnd::Repetition:
            return LineEnd::Repetition;
        case GameEnd::PerpetualCheck:
            return outcome.winner == match.position().sideToMove ? LineEnd::FoulWin
                                                                 : LineEnd::FoulLoss;
        default:
            return LineEnd::None;
    }
}

// The node of `copy` at the place `node` has in the record it was copied from.
RecordNode& samePlace(GameRecord& copy, const RecordNode& node) {
    RecordNode* at = &copy.root();
    for (const RecordNode* step : GameRecord::path(node)) {
        const RecordNode& parent = *step->parent;
        for (std::size_t index = 0; index < parent.children.size(); ++index) {
            if (parent.children[index].get() == step) {
                at = at->children[index].get();
                break;
            }
        }
    }
    return *at;
}

}  // namespace

GameRecord recordToWrite(const Match& match) {
    GameRecord record = match.record();
    // A mate or a repetition ends the game without a line of its own in the match, yet a
    // reader of the file learns how the game ended only from one (詰み, 千日手).
    const LineEnd judged = match.rules() == RuleSet::Standard ? judgedEnd(match) : LineEnd::None;
    if (judged != LineEnd::None && !match.current().isEnd() && match.current().children.empty()) {
        record.addEnd(samePlace(record, match.current()), judged, GameRecord::Placement::MainLine);
    }
    return record;
}

RecordKeeper::RecordKeeper(GamesFolder folder, std::time_t startTime, std::string recordPath)
    : folder_(std::move(folder)), startTime_(startTime), recordPath_(std::move(recordPath)) {}

void RecordKeeper::onMatchEvent(const Match& match, MatchEvent event, const Move&) {
    if (event == MatchEvent::NewGame) {
        // A change still waiting for its frame belongs to the game that ends here, so its
        // record gets it before the new game takes a file of its own.
        afterFrame();
        recordPath_.clear();
        startTime_ = std::time(nullptr);
        // The next game may have another computer, or none: it names its own players.
        names_[0].clear();
        names_[1].clear();
        return;
    }
    // Going to another place in the record changes nothing the file holds. A simple game's
    // record has no ending of its own to write: its flag fall is news for the screen only.
    if (event == MatchEvent::Moved ||
        (event == MatchEvent::Ended && match.rules() != RuleSet::Standard)) {
        return;
    }
    unwritten_ = recordToWrite(match);
    for (const NamedPlayer* player : namedPlayers_) {
        if (!player->recordName().empty()) {
            names_[player->side() == 0 ? 0 : 1] = player->recordName();
        }
    }
    changed_ = true;
}

void RecordKeeper::forgetPlayer(const NamedPlayer* player) {
    namedPlayers_.erase(std::remove(namedPlayers_.begin(), namedPlayers_.end(), player),
                        namedPlayers_.end());
}

void RecordKeeper::afterFrame() {
    if (changed_) {
        changed_ = false;
        write(std::move(unwritten_));
    }
}

bool RecordKeeper::write(GameRecord record) {
    setGameHeaders(record, recordStartTime(startTime_));
    setPlayerName(record, 0, names_[0]);
    setPlayerName(record, 1, names_[1]);
    return writeText(writeKifRecord(record));
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

}  // namespace ixo
