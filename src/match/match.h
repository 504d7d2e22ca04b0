#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "clock/game_clock.h"
#include "record/game_tree.h"
#include "shogi/move.h"
#include "shogi/position.h"
#include "shogi/rule_set.h"
#include "shogi/standard_rules.h"

namespace ixo {

class Match;

// What changed in a match. A replay is the same move made again, told apart only for those
// who care.
enum class MatchEvent {
    Played,     // a player's move was accepted
    TakenBack,  // the move was undone; the position is the one before it
    Replayed,   // the main line's next move was made again
    // The game ended without a move (a resignation, a declaration, a foul, time), or such an
    // ending was taken back or replayed; `move` is the last move played, if any.
    Ended,
    Moved,    // the current place jumped to another node of the record
    NewGame,  // a fresh record from the start position, or another record taken over
    // Notes were added to the record (an engine's evaluations and their comments); the game
    // and the place in it are as they were.
    Annotated,
};

// Told of every change after the match has settled, so it may read the match. The record
// keeper, the computer, the hint and the sounds are observers; the match owns none of them.
class MatchObserver {
  public:
    virtual ~MatchObserver() = default;
    virtual void onMatchEvent(const Match& match, MatchEvent event, const Move& move) = 0;
};

// The game in progress: its record, the place in it, the position there and how the game
// stands, the clocks, and the rule set. Players (the mouse, an engine, later a peer on the
// network) send it requests; views read it. Nothing here knows of the screen.
//
// The game as played is the record's main line: a move made after take-backs becomes the
// main line at that point, and the line that was taken back stays as a variation there, so
// nothing that was played is lost. Each move's time lives on its node.
class Match {
  public:
    // The one monotonic time in milliseconds. Tests hand over a clock they step.
    using Now = std::function<std::int64_t()>;

    explicit Match(RuleSet rules = RuleSet::Simple, Now now = nullptr,
                   TimeControl control = TimeControl{});
    // The place in the record points into the record itself, so a copy would point into
    // the other match's tree; a move carries the tree along.
    Match(const Match&) = delete;
    Match& operator=(const Match&) = delete;
    Match(Match&&) = default;
    Match& operator=(Match&&) = default;

    // Takes over a record (read from a file, say) and stands at the end of its main line,
    // or before it when that line was only interrupted, so the game goes on from there.
    // False, leaving the match as it was, when a move of that line is not legal where it
    // stands; `error` then says which.
    bool load(GameRecord record, std::string& error);

    const GameRecord& record() const { return record_; }
    // The record for notes that leave the game as it is: an engine's evaluations and the
    // comments that carry them. Never for moves, which go through the requests below.
    GameRecord& annotations() { return record_; }
    // Tells the observers that annotations() changed the record.
    void annotated() { notify(MatchEvent::Annotated, lastMove() ? *lastMove() : Move{}); }
    // Where a move made at a place already played on goes: the game as played is the main
    // line; looking back at a record, it starts a variation and the main line stays.
    void setPlacement(GameRecord::Placement placement) { placement_ = placement; }
    GameRecord::Placement placement() const { return placement_; }
    const RecordNode& current() const { return *current_; }
    const Position& position() const { return position_; }
    RuleSet rules() const { return record_.rules; }
    // The ending reached at the current node: a judged one (mate, repetition), or an ending
    // node (resignation, time, ...). Under the simple rules only endings without a move.
    const Outcome& outcome() const { return outcome_; }
    // Nothing is left to play: an ending, or under the simple rules a king taken (a position
    // no engine can search and no clock runs on). Moves are still accepted in the latter,
    // as they always were.
    bool finished() const;
    // The last move played up to the current node; null at the start.
    const Move* lastMove() const;
    std::size_t ply() const { return keys_.size() - 1; }
    // The moves from the start to the current position.
    std::vector<Move> played() const { return GameRecord::movesTo(*current_); }

    // Requests. Each says whether it changed anything; observers are told of each change.
    Refusal play(const MoveRequest& request, Move* made = nullptr);
    bool takeBack();
    bool replay();
    bool resign();          // the side to move resigns
    bool declareImpasse();  // the side to move declares; wins or loses by the rule
    bool loseByFoul(int side);
    bool loseOnTime(int side);
    // An ending a judge outside the match gave (a game server): written at the current place,
    // in place of an ending already there, even where our rules had seen the game end.
    void recordEnding(LineEnd end, const Outcome& outcome);
    // The last move's time as that judge charged it, in place of what the match measured.
    bool chargeLastMove(std::int64_t usedMs);
    // With a judge outside, the rules' own view of mate and repetition ends nothing: moves
    // go on until an ending is recorded, since the judge may play on where our rules stop.
    void setOutsideJudge(bool outside);
    bool outsideJudge() const { return outsideJudge_; }
    // Stands at `node` of this match's record; false when it is not one of them.
    bool goTo(const RecordNode& node);
    // A fresh game from the start position under the same rules and time control.
    void newGame();

    // The clocks. Without a time control they only measure, so every node gets its time.
    const GameClock& clock() const { return clock_; }
    std::int64_t now() const { return now_(); }
    void setTimeControl(const TimeControl& control);
    bool paused() const { return paused_; }
    // Stops or restarts the side to move's clock; false when there is nothing to stop.
    bool togglePause();
    // Stops (true) or restarts the side to move's clock with or without a time control, while
    // the game waits on something outside it, so that the wait is nobody's move time. False
    // when that changed nothing (the game is over, or the clock already stood so).
    bool hold(bool stopped);
    // The clocks as the nodes' times leave them, the side to move's running from now, so
    // time spent before the game could be seen (a record read, an engine starting) is nobody's.
    void restartClock();
    // The side to move whose time ran out loses; true when a flag fell now.
    bool judgeFlag();

    void addObserver(MatchObserver* observer) { observers_.push_back(observer); }
    void removeObserver(MatchObserver* observer);

  private:
    void notify(MatchEvent event, const Move& move);
    void judge();
    bool endHere(LineEnd end, Outcome outcome);
    // Ends the line here, or gives the ending already here this one's line and result.
    void addEnding(LineEnd end, const Outcome& outcome);
    // Replays the path to `node` from the start; false when a move of it is refused.
    bool standAt(RecordNode& node, std::string* error);
    // Moves from the current node to `target` of the same record by the shortest way.
    bool walkTo(RecordNode& target);
    Outcome outcomeOfEnd(const RecordNode& node) const;

    Now now_;
    GameRecord record_;
    RecordNode* current_ = nullptr;
    Position position_;
    Outcome outcome_;
    // Along the path to the current position: the position key after each move (keys_[0]
    // is the start's) and whether each move gave check, for repetition and perpetual check.
    std::vector<std::uint64_t> keys_;
    std::vector<bool> gaveCheck_;
    // Endings whose record line says less than the game knows (a failed declaration is
    // written as a foul), by the node that holds them.
    std::map<const RecordNode*, Outcome> endings_;
    GameClock clock_;
    bool paused_ = false;
    bool outsideJudge_ = false;
    GameRecord::Placement placement_ = GameRecord::Placement::MainLine;
    std::vector<MatchObserver*> observers_;
};

}  // namespace ixo
