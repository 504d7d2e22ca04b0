// The game's side of the interop check of the CSA and KI2 formats with an independent
// implementation.
//   formats_interop write DIR COUNT SEED   writes COUNT random standard games in every format
//                                          the game writes (DIR/ours-K.csa, .ki2, .ki2u, .kif),
//                                          with their moves in USI (.usi), start as SFEN
//                                          (.sfen) and ending in tsshogi's words (.end)
//   formats_interop read FILE BASE         opens FILE by its content and compares its moves,
//                                          start and ending with BASE.usi, BASE.sfen, BASE.end
// USI and SFEN are the neutral ground: neither side's format code judges the other's.

#include <fstream>
#include <iostream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "record/record_format.h"
#include "shogi/handicaps.h"
#include "shogi/standard_rules.h"
#include "support/test_files.h"

namespace {

using namespace ixo;

// tsshogi's word for the ending of a main line. A foul won by the side to move is left out of
// the games: tsshogi 2.2.0 reads CSA's %+ILLEGAL_ACTION and %-ILLEGAL_ACTION the wrong way
// round, which its own writer repeats, so no CSA file can agree with both.
const char* endName(LineEnd end) {
    switch (end) {
        case LineEnd::Resignation:
            return "resign";
        case LineEnd::Checkmate:
            return "mate";
        case LineEnd::TimeUp:
            return "timeout";
        case LineEnd::FoulLoss:
            return "foulLose";
        case LineEnd::Interrupted:
            return "interrupt";
        case LineEnd::Repetition:
            return "repetitionDraw";
        default:
            return "";
    }
}

std::string usiOf(const GameRecord& record) {
    std::string text;
    for (const Move& move : GameRecord::movesTo(record.mainLineEnd())) {
        text += (text.empty() ? "" : " ") + usiMove(requestOf(move));
    }
    return text;
}

GameRecord randomRecord(std::mt19937& random, int index) {
    static const char* const kStarts[] = {"平手",     "香落ち",   "角落ち",  "飛車落ち",
                                          "二枚落ち", "四枚落ち", "六枚落ち"};
    GameRecord record;
    record.rules = RuleSet::Standard;
    handicapPosition(index % 3 == 0 ? kStarts[1 + index / 3 % 6] : kStarts[0], record.start);
    record.headers = {{"先手", "羽生 善治"}, {"後手", "engine " + std::to_string(index)}};
    StandardGame game(record.start);
    RecordNode* at = &record.root();
    std::vector<MoveRequest> moves;
    const int length = std::uniform_int_distribution<int>(1, 200)(random);
    for (int ply = 0; ply < length && !game.outcome().over(); ++ply) {
        legalMoves(game.position(), moves);
        if (moves.empty()) {
            break;
        }
        Move made;
        game.play(moves[std::uniform_int_distribution<std::size_t>(0, moves.size() - 1)(random)],
                  &made);
        at = record.addMove(*at, made, GameRecord::Placement::MainLine);
        at->timed = true;
        at->time.usedMs = std::uniform_int_distribution<int>(0, 120)(random) * 1000;
        if (ply % 9 == 4) {
            at->comment = "手 " + std::to_string(ply + 1);
        }
    }
    const LineEnd ends[] = {LineEnd::Resignation, LineEnd::TimeUp, LineEnd::FoulLoss,
                            LineEnd::Interrupted, LineEnd::None};
    const GameEnd judged = game.outcome().how;
    if (judged == GameEnd::Checkmate) {
        record.addEnd(*at, LineEnd::Checkmate, GameRecord::Placement::MainLine);
    } else if (judged == GameEnd::Repetition) {
        record.addEnd(*at, LineEnd::Repetition, GameRecord::Placement::MainLine);
    } else if (!game.outcome().over() && ends[index % 5] != LineEnd::None) {
        record.addEnd(*at, ends[index % 5], GameRecord::Placement::MainLine);
    }
    return record;
}

std::string firstLine(const std::string& path) {
    std::string text;
    ixo::readWholeFile(path, text);
    return text.substr(0, text.find('\n'));
}

int writeGames(const std::string& folder, int count, unsigned seed) {
    std::mt19937 random(seed);
    for (int index = 1; index <= count; ++index) {
        const GameRecord record = randomRecord(random, index);
        const std::string base = folder + "/ours-" + std::to_string(index);
        for (const char* extension : {".csa", ".ki2", ".ki2u", ".kif"}) {
            const RecordWriting writing = writeRecordAs(record, *recordFileTypeOf(extension));
            if (!writing.ok()) {
                std::cerr << base << extension << ": " << writing.error << "\n";
                return 1;
            }
            std::ofstream(base + extension, std::ios::binary) << writing.bytes;
        }
        std::ofstream(base + ".usi", std::ios::binary) << usiOf(record) << '\n';
        std::ofstream(base + ".sfen", std::ios::binary) << toSfen(record.start) << '\n';
        std::ofstream(base + ".end", std::ios::binary) << endName(record.mainLineEnd().end) << '\n';
    }
    return 0;
}

int readAndCompare(const std::string& path, const std::string& base) {
    std::string bytes;
    if (!ixo::readWholeFile(path, bytes)) {
        std::cerr << path << ": cannot be read\n";
        return 1;
    }
    RecordFormat format = RecordFormat::Kif;
    const RecordReading reading = readAnyRecord(bytes, &format);
    if (!reading.ok()) {
        std::cerr << path << ":" << reading.errorLine << ": " << reading.error << "\n";
        return 1;
    }
    const std::string moves = usiOf(reading.record);
    const std::string sfen = toSfen(reading.record.start);
    const std::string end = endName(reading.record.mainLineEnd().end);
    if (moves != firstLine(base + ".usi") || sfen != firstLine(base + ".sfen") ||
        end != firstLine(base + ".end")) {
        std::cerr << path << " (" << recordFormatName(format) << "): read otherwise\n  moves "
                  << moves << "\n  start " << sfen << "\n  end " << end << "\n";
        return 1;
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (args.size() == 4 && args[0] == "write") {
        return writeGames(args[1], std::stoi(args[2]), static_cast<unsigned>(std::stoul(args[3])));
    }
    if (args.size() == 3 && args[0] == "read") {
        return readAndCompare(args[1], args[2]);
    }
    std::cerr << "usage: formats_interop write DIR COUNT SEED | read FILE BASE\n";
    return 2;
}
