#pragma once

#include <array>
#include <string>
#include <utility>
#include <vector>

#include "net/csa_time.h"
#include "shogi/position.h"

namespace ixo {

// A move the Game_Summary says was played before the game reached us, with the time it
// cost in the server's units (-1 when the summary gives none).
struct CsaPlayedMove {
    std::string text;
    long long units = -1;
};

// What a server proposes between BEGIN Game_Summary and END Game_Summary.
struct GameSummary {
    std::string protocolVersion;
    std::string protocolMode;
    std::string format;
    std::string declaration;
    std::string gameId;
    std::array<std::string, 2> names;  // Name+ (Blue, sente) and Name- (Red, gote)
    int ourSide = -1;                  // Your_Turn
    int toMove = 0;                    // To_Move
    bool rematchOnDraw = false;
    int maxMoves = 0;  // 0: no limit given
    // Time applies to both sides; Time+ and Time- set one side's own.
    std::array<CsaTimeControl, 2> time{};
    Position start;  // the position block before its moves
    std::vector<CsaPlayedMove> moves;
    // Keys this reader does not know, kept in order, so a caller can still show them.
    std::vector<std::pair<std::string, std::string>> otherKeys;
};

// Reads a Game_Summary line by line, the line after BEGIN Game_Summary first. Strict about
// what it must understand (the position, the times, Your_Turn), lenient about the rest: a key
// it does not know is kept, a BEGIN block it does not know is passed over.
class GameSummaryReader {
  public:
    // False with `error` at a line that cannot be taken.
    bool readLine(const std::string& line, std::string& error);
    // True once END Game_Summary was read.
    bool done() const { return done_; }
    // The summary; false with `error` when something it cannot do without is missing.
    bool finish(GameSummary& summary, std::string& error);

  private:
    bool readTimeLine(const std::string& key, const std::string& value, std::string& error);

    // A time block's values in the server's units, -1 where it gave none; [0] is the block
    // for both sides, [1] Time+ and [2] Time-. They become milliseconds once the unit is known.
    struct RawTime {
        long long unitMs = -1;
        long long total = -1;
        long long byoyomi = -1;
        long long increment = -1;
        long long least = -1;
        int roundUp = -1;
    };

    enum class Block { Top, Time, Position, Unknown };
    GameSummary summary_;
    std::array<RawTime, 3> raw_{};
    Block block_ = Block::Top;
    std::string unknownBlock_;
    int timeSide_ = -1;  // -1 for both sides
    std::vector<std::string> positionLines_;
    bool sawPosition_ = false;
    bool sawYourTurn_ = false;
    bool done_ = false;
};

}  // namespace ixo
