#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace ixo {

// An evaluation as an engine reports it, from the side to move in the position it searched.
struct Score {
    enum class Kind : std::uint8_t { None, Centipawns, Mate };
    Kind kind = Kind::None;
    int centipawns = 0;
    // Moves (plies) to mate; 0 when the engine did not say how far ("score mate +", or a
    // mate reported as a huge cp value).
    int mateIn = 0;
    bool matingSide = true;  // for a mate: true when the side to move gives it
    bool bound = false;      // lowerbound or upperbound: a value on its way, not a result

    // The same score from Blue's side, given who was to move in the searched position.
    Score fromBlue(int sideToMove) const;
};

// gpsusi reports a mate as a cp value of about a million; no real material balance comes
// near this, so anything beyond it reads as a mate of unknown distance.
constexpr int kMateCentipawns = 100000;

// What an `info` line says. Fields an engine did not send keep their "absent" values, since
// engines send partial lines (`info depth 6`, `info currmove 8d8e`) between full ones.
struct SearchInfo {
    int depth = -1;
    int selectiveDepth = -1;
    std::int64_t timeMs = -1;
    std::int64_t nodes = -1;
    Score score;
    std::vector<std::string> principalVariation;
    std::string currentMove;
    std::string text;  // info string ...
    // Which of the engine's best lines this is (`multipv N`); 0 when not said, which is line 1.
    int multiPv = 0;

    bool showsProgress() const {
        return depth >= 0 || score.kind != Score::Kind::None || !principalVariation.empty();
    }
};

// One option an engine offers. A name may hold spaces (fairy-stockfish's `Skill Level`): it
// runs from `name` up to ` type `.
struct EngineOption {
    std::string name;
    std::string type;  // check, spin, combo, button, string, filename
    std::string defaultValue;
    std::string min;
    std::string max;
    std::vector<std::string> choices;  // the `var` values of a combo
};

// One line from an engine. Anything the protocol does not know is Unknown and is read past,
// as USI asks (engines print banners and blank lines); lines that cannot be USI at all, such
// as control bytes or a bestmove without a move, are Garbage.
struct EngineLine {
    enum class Kind : std::uint8_t {
        Unknown,
        Garbage,
        IdName,
        IdAuthor,
        Option,
        UsiOk,
        ReadyOk,
        Info,
        BestMove,
        Resign,
        Win,
    };
    Kind kind = Kind::Unknown;
    std::string text;        // the id, or the move of a bestmove (handed on unjudged)
    std::string ponderMove;  // bestmove ... ponder X
    EngineOption option;
    SearchInfo info;
};

EngineLine parseEngineLine(const std::string& line);

}  // namespace ixo
