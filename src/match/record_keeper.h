#pragma once

#include <ctime>
#include <string>
#include <vector>

#include "match/match.h"
#include "match/named_player.h"
#include "record/game_tree.h"
#include "record/record_store.h"

namespace ixo {

// The match's record as its file keeps it: the whole tree, and at the place the game stands
// the ending the rules found in the position (a mate, a repetition), which the match itself
// keeps no line for.
GameRecord recordToWrite(const Match& match);

// Keeps the game's record file equal to the match's whole record: every line played, taken
// back or studied, with the headers of the record it was opened from. It watches the match
// and rewrites the file whole after every move, take-back, replay and ending. Nothing is
// written before the first of these, so a game started and left at once leaves no file behind.
// A new game gets a record of its own; the one before stays on disk as it was last written.
//
// When the folder cannot be made or written, the game goes on without a record: the reason is
// said once on stderr, and later changes still try again, so a disk that had filled up and
// was cleared gets a whole record back.
class RecordKeeper : public MatchObserver {
  public:
    // A new game started at `startTime`, or with `recordPath` one to go on writing.
    RecordKeeper(GamesFolder folder, std::time_t startTime, std::string recordPath = "");

    // Notes the match's record as it now stands; afterFrame() writes it, once the frame that
    // shows the change is up, so the disk never delays it.
    void onMatchEvent(const Match& match, MatchEvent event, const Move& move) override;
    void afterFrame();
    // Writes `record` now, with the headers of a game played here and the players named.
    bool write(GameRecord record);
    // The side `player` plays is named after it in every record written from now on, even
    // after it stopped playing; not owned, must outlive the keeper.
    void namePlayer(const NamedPlayer* player) { namedPlayers_.push_back(player); }
    // `player` names nothing from now on, so it may go.
    void forgetPlayer(const NamedPlayer* player);

    // The file being written; empty until the first write chose one.
    const std::string& recordPath() const { return recordPath_; }
    // True from a write that failed until one succeeds: the moves on the screen are not all
    // kept on the disk meanwhile.
    bool failing() const { return failing_; }

  private:
    bool writeText(const std::string& text);  // notes whether it failed
    bool store(const std::string& text);
    void complain(const std::string& why);

    GamesFolder folder_;
    std::time_t startTime_;
    std::string recordPath_;
    bool complained_ = false;
    bool failing_ = false;
    // A copy, since the match goes on before the frame that shows this change is up; a few
    // hundred nodes take microseconds.
    GameRecord unwritten_;
    bool changed_ = false;
    std::vector<const NamedPlayer*> namedPlayers_;
    std::string names_[2];  // of the sides a named player played, as last known
};

}  // namespace ixo
