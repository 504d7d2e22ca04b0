// Feeds arbitrary bytes to parseSfen. What reads must write back to the same position; a
// position that passes validation must then play and take back every legal move exactly,
// with each move judged legal on its own, so the generator and the judge agree.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "shogi/position.h"
#include "shogi/standard_rules.h"

namespace {

void fail(const char* what, const std::string& sfen) {
    std::fprintf(stderr, "%s: %s\n", what, sfen.c_str());
    std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    ixo::Position position;
    std::string error;
    if (!ixo::parseSfen(bytes, position, error)) {
        if (error.empty()) {
            fail("a refusal without a reason", bytes);
        }
        return 0;
    }
    const std::string written = ixo::toSfen(position);
    ixo::Position again;
    if (!ixo::parseSfen(written, again, error) || again != position) {
        fail("a position read does not read back the same once written", written);
    }
    // Whatever the validation says, judging must not fault; play only from valid positions.
    std::vector<ixo::MoveRequest> moves;
    ixo::legalMoves(position, moves);
    if (!ixo::validatePosition(position, error)) {
        return 0;
    }
    for (const ixo::MoveRequest& request : moves) {
        if (ixo::judgeMove(position, request) != ixo::Refusal::None) {
            fail("a generated move is refused", written + " " + ixo::usiMove(request));
        }
        ixo::Position played = position;
        ixo::Move move;
        ixo::playStandardMove(played, request, &move);
        if (ixo::inCheck(played, position.sideToMove)) {
            fail("a legal move leaves the king in check", written + " " + ixo::usiMove(request));
        }
        ixo::takeBackStandardMove(played, move);
        if (played != position) {
            fail("take-back does not restore the position", written + " " + ixo::usiMove(request));
        }
    }
    ixo::StandardGame game(position);
    if (game.outcome().over() != moves.empty()) {
        fail("the game's ending disagrees with the legal moves", written);
    }
    return 0;
}
