#pragma once

#include <ctime>
#include <string>
#include <vector>

#include "game/game_events.h"
#include "record/game_tree.h"
#include "record/kif.h"
#include "record/record_store.h"
#include "shogi/move.h"
#include "shogi/standard_rules.h"

namespace ixo {

// Keeps the game's record file equal to the moves that lead to the position on the screen,
// rewriting it whole after every move, take-back, replay and ending. Nothing is written before
// the first of these, so a game started and left at once leaves no file behind. A new game
// (N) gets a record of its own; the one before stays on disk as it was last written.
//
// When the folder cannot be made or written, the game goes on without a record: the reason is
// said once on stderr, and later changes still try again, so a disk that had filled up and
// was cleared gets a whole record back.
class RecordKeeper : public GameObserver {
  public:
    // A new game started at `startTime`, or with `recordPath` one to go on writing. `kept`
    // are the header lines of an opened record, written again in every record of this game.
    RecordKeeper(GamesFolder folder, std::time_t startTime, std::string recordPath = "",
                 std::vector<KifHeader> kept = {});

    // Notes the game as it now stands; afterFrame() writes it, once the frame that shows the
    // change is up, so the disk never delays it.
    void onMoveEvent(const GameScene& scene, const Move& move, MoveEvent event) override;
    void onNewGame(const GameScene& scene) override;
    void afterFrame() override;
    // `times` are the moves' times, one per ply (the scene's moveTimes()).
    bool write(const std::vector<Move>& moves,
               const std::vector<MoveTime>& times = {});  // a simple-rules game
    bool writeStandard(const StandardGame& game, const std::vector<MoveTime>& times = {});

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
    std::vector<KifHeader> kept_;
    bool complained_ = false;
    RuleSet rules_ = RuleSet::Simple;  // of the change not yet written
    bool failing_ = false;
    std::vector<Move> unwritten_;
    StandardGame unwrittenStandard_;
    // The whole game as the match holds it: every line played, taken back or studied, with
    // the headers of the record it was opened from.
    GameRecord unwrittenRecord_;
    std::vector<MoveTime> unwrittenTimes_;
    KifPlayers players_;  // the computer's side by its engine, once a computer plays
    bool changed_ = false;
};

// The game the command line asks for: the rules it was played under, where it stands, and
// where its record goes.
struct OpenedGame {
    RuleSet rules = RuleSet::Simple;
    std::vector<Move> moves;         // the moves played, under either rule set
    StandardGame standard;           // under the standard rules: start, moves and ending
    std::vector<KifHeader> headers;  // what the record said about the game, to be kept
    std::vector<MoveTime> times;     // what each move cost, as the record gives it
    // The whole record read, variations and comments included, for the game to go on in.
    GameRecord record;
    // What the reader left out or found unusual, each "LINE: what".
    std::vector<std::string> warnings;
    std::string recordPath;  // empty: a new record in the games folder
    std::time_t startTime = 0;
};

// Reads the record that --continue or FILE names. On false `error` is the one line to print,
// "FILE:LINE: reason" or "FILE: reason", and nothing has been written anywhere.
bool openGame(bool continueLast, const std::string& file, const GamesFolder& folder,
              std::time_t now, OpenedGame& game, std::string& error);

}  // namespace ixo
