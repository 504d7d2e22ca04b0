#pragma once

#include <ctime>
#include <string>
#include <vector>

#include "game/game_events.h"
#include "record/record_store.h"
#include "shogi/move.h"

namespace ixo {

// Keeps the game's record file equal to the moves that lead to the position on the screen,
// rewriting it whole after every move, take-back and replay. Nothing is written before the
// first of these, so a game started and left at once leaves no file behind.
//
// When the folder cannot be made or written, the game goes on without a record: the reason is
// said once on stderr, and later changes still try again, so a disk that had filled up and
// was cleared gets a whole record back.
class RecordKeeper : public GameObserver {
  public:
    // A new game started at `startTime`, or with `recordPath` one to go on writing.
    RecordKeeper(GamesFolder folder, std::time_t startTime, std::string recordPath = "");

    // Notes the moves that now lead to the position; afterFrame() writes them, once the
    // frame that shows the change is up, so the disk never delays it.
    void onMoveEvent(const GameScene& scene, const Move& move, MoveEvent event) override;
    void afterFrame() override;
    bool write(const std::vector<Move>& moves);

    // The file being written; empty until the first write chose one.
    const std::string& recordPath() const { return recordPath_; }
    // True from a write that failed until one succeeds: the moves on the screen are not all
    // kept on the disk meanwhile.
    bool failing() const { return failing_; }

  private:
    bool writeRecord(const std::vector<Move>& moves);
    void complain(const std::string& why);

    GamesFolder folder_;
    std::time_t startTime_;
    std::string recordPath_;
    bool complained_ = false;
    bool failing_ = false;
    std::vector<Move> unwritten_;
    bool changed_ = false;
};

// The game the command line asks for: the moves to start from and where its record goes.
struct OpenedGame {
    std::vector<Move> moves;
    std::string recordPath;  // empty: a new record in the games folder
    std::time_t startTime = 0;
};

// Reads the record that --continue or FILE names. On false `error` is the one line to print,
// "FILE:LINE: reason" or "FILE: reason", and nothing has been written anywhere.
bool openGame(bool continueLast, const std::string& file, const GamesFolder& folder,
              std::time_t now, OpenedGame& game, std::string& error);

}  // namespace ixo
