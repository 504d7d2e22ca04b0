// The game's side of the rules oracle: positions from seeded random games, each written as
//   SFEN <tab> 1 when the side to move is in check, else 0 <tab> its legal moves in USI
// one per line, for shogiops_check.mjs to compare with shogiops's own legal moves.
//   rules_oracle GAMES SEED
// Half the moves are checks where there is one, so checks, evasions, mates and the pawn
// drops that would mate come up far more often than in random play alone.

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "shogi/standard_rules.h"

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: rules_oracle GAMES SEED\n");
        return 2;
    }
    const int games = std::atoi(argv[1]);
    std::mt19937 random(static_cast<std::mt19937::result_type>(std::strtoul(argv[2], nullptr, 10)));
    std::vector<ixo::MoveRequest> legal;
    std::vector<ixo::MoveRequest> checks;
    for (int g = 0; g < games; ++g) {
        ixo::StandardGame game;
        for (int ply = 0; ply < 160; ++ply) {
            const ixo::Position& position = game.position();
            ixo::legalMoves(position, legal);
            std::vector<std::string> texts;
            checks.clear();
            for (const ixo::MoveRequest& move : legal) {
                texts.push_back(ixo::usiMove(move));
                ixo::Position next = position;
                ixo::playStandardMove(next, move);
                if (ixo::inCheck(next, next.sideToMove)) {
                    checks.push_back(move);
                }
            }
            std::sort(texts.begin(), texts.end());
            std::string line = ixo::toSfen(position) + "\t" +
                               (ixo::inCheck(position, position.sideToMove) ? "1" : "0") + "\t";
            for (std::size_t i = 0; i < texts.size(); ++i) {
                line += (i > 0 ? " " : "") + texts[i];
            }
            std::puts(line.c_str());
            if (legal.empty() || game.outcome().over()) {
                break;
            }
            const auto& pool = !checks.empty() && random() % 2 == 0 ? checks : legal;
            game.play(pool[std::uniform_int_distribution<std::size_t>(0, pool.size() - 1)(random)]);
        }
    }
    return 0;
}
