// The game's side of the interop check with an independent KIF implementation.
//   kif_interop write DIR COUNT SEED   writes COUNT random games as DIR/ours-K.kifu, each with
//                                      its moves in USI notation beside it (ours-K.usi)
//   kif_interop read FILE USI          reads a record with the game's reader and compares its
//                                      moves with the USI line in the file USI
// USI is the neutral ground: both sides turn their moves into it, and neither side's KIF
// code is used to judge the other's.

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <random>
#include <sstream>
#include <string>

#include "record/text_encoding.h"
#include "shogi/kif.h"
#include "shogi/random_game.h"

namespace {

std::string usiOf(const std::vector<ixo::Move>& moves) {
    std::string text;
    for (const ixo::Move& move : moves) {
        if (!text.empty()) {
            text += ' ';
        }
        text += static_cast<char>('0' + 9 - move.fromColumn);
        text += static_cast<char>('a' + move.fromRow);
        text += static_cast<char>('0' + 9 - move.toColumn);
        text += static_cast<char>('a' + move.toRow);
        if (move.promoted) {
            text += '+';
        }
    }
    return text;
}

bool readWhole(const std::string& path, std::string& bytes) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream buffer;
    buffer << in.rdbuf();
    bytes = buffer.str();
    return static_cast<bool>(in);
}

int writeGames(const std::string& folder, int count, unsigned seed) {
    std::mt19937 random(seed);
    for (int index = 1; index <= count; ++index) {
        // Lengths from a short opening to a long game. Every other game keeps the kings safe
        // as full shogi demands; the rest play by this game's rules alone, where a king may be
        // left in check or taken, and such records must open elsewhere too.
        const int length = std::uniform_int_distribution<int>(1, 160)(random);
        const std::vector<ixo::Move> game = ixo::randomGame(random, length, index % 2 == 0);
        const std::string base = folder + "/ours-" + std::to_string(index);
        std::ofstream(base + ".kifu", std::ios::binary)
            << ixo::writeKif(game, "2026/01/02 03:04:05");
        std::ofstream(base + ".usi", std::ios::binary) << usiOf(game) << '\n';
    }
    return 0;
}

int readAndCompare(const std::string& path, const std::string& usiPath) {
    std::string bytes, expected;
    if (!readWhole(path, bytes) || !readWhole(usiPath, expected)) {
        std::cerr << path << ": cannot read it or " << usiPath << '\n';
        return 1;
    }
    while (!expected.empty() && (expected.back() == '\n' || expected.back() == '\r')) {
        expected.pop_back();
    }
    const std::optional<std::string> text = ixo::decodeRecordText(bytes);
    if (!text) {
        std::cerr << path << ": neither UTF-8 nor Shift_JIS\n";
        return 1;
    }
    const ixo::KifReading reading = ixo::readKif(*text);
    if (!reading.ok()) {
        std::cerr << path << ':' << reading.errorLine << ": " << reading.error << '\n';
        return 1;
    }
    const std::string ours = usiOf(reading.moves);
    if (ours != expected) {
        std::cerr << path << ": moves differ\n  read:     " << ours << "\n  expected: " << expected
                  << '\n';
        return 1;
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string command = argc > 1 ? argv[1] : "";
    if (command == "write" && argc == 5) {
        return writeGames(argv[2], std::atoi(argv[3]), static_cast<unsigned>(std::atol(argv[4])));
    }
    if (command == "read" && argc == 4) {
        return readAndCompare(argv[2], argv[3]);
    }
    std::cerr << "usage: kif_interop write DIR COUNT SEED | read FILE USI\n";
    return 2;
}
