// The game's side of the interop check with an independent KIF implementation.
//   kif_interop write DIR COUNT SEED   writes COUNT random simple-rules games as DIR/ours-K.kifu
//                                      and COUNT standard games as DIR/ours-std-K.kifu, each
//                                      with its moves in USI notation beside it (.usi) and
//                                      every move's seconds and total (.times); a
//                                      standard game also with its start as SFEN (.sfen) and
//                                      how it ended (.end, in tsshogi's words)
//   kif_interop read FILE USI          reads a record with the game's reader and compares its
//                                      moves with the USI line in the file USI, and its start,
//                                      ending and times with the .sfen, .end and .times files
//                                      beside USI when they are there
//   kif_interop tree FILE OUT          reads a record into the game's tree and writes OUT.orig.kif
//                                      (the record decoded to UTF-8), OUT.ours.kif (the tree
//                                      written again) and OUT.tree (the tree as tree_dump.cjs
//                                      prints one), for tsshogi_tree.cjs to compare node by node
//   kif_interop takeback OUT           plays three moves, takes two back and plays another, and
//                                      writes the record (OUT.ours.kif) and its tree (OUT.tree)
// USI and SFEN are the neutral ground: both sides turn their games into them, and neither
// side's KIF code is used to judge the other's.

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <initializer_list>
#include <iostream>
#include <optional>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "match/match.h"
#include "match/record_keeper.h"
#include "record/kif_reader.h"
#include "record/kif_writer.h"
#include "record/replay.h"
#include "record/text_encoding.h"
#include "shogi/handicaps.h"
#include "shogi/random_game.h"
#include "shogi/standard_rules.h"
#include "support/record_lines.h"
#include "support/test_files.h"

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

std::string usiOfStandard(const std::vector<ixo::Move>& moves) {
    std::string text;
    for (const ixo::Move& move : moves) {
        text += (text.empty() ? "" : " ") + ixo::usiMove(ixo::requestOf(move));
    }
    return text;
}

// How tsshogi names the special move that ends a game, for the endings a KIF end line gives.
std::string endingName(const ixo::Match& game) {
    const ixo::Outcome& outcome = game.outcome();
    const bool moverWins = outcome.winner == game.position().sideToMove;
    switch (outcome.how) {
        case ixo::GameEnd::None:
            return "";
        case ixo::GameEnd::Checkmate:
            return "mate";
        case ixo::GameEnd::Resignation:
            return "resign";
        case ixo::GameEnd::Repetition:
            return "repetitionDraw";
        case ixo::GameEnd::Impasse:
            return "enteringOfKing";
        case ixo::GameEnd::TimeUp:
            return "timeout";
        case ixo::GameEnd::PerpetualCheck:
        case ixo::GameEnd::FailedImpasse:
        case ixo::GameEnd::IllegalMove:
            return moverWins ? "foulWin" : "foulLose";
    }
    return "";
}

// A game of random legal moves from the even start or a handicap, ended by mate if it comes
// to that, or else by one of the endings a player or a clock brings, or not at all; played
// through the match, with each move's time, as the game plays one.
void playRandomStandardGame(ixo::Match& game, std::mt19937& random, int index) {
    static const char* const kStarts[] = {"平手",     "香落ち",   "右香落ち", "角落ち",
                                          "飛車落ち", "飛香落ち", "二枚落ち", "四枚落ち",
                                          "六枚落ち", "八枚落ち", "十枚落ち"};
    ixo::GameRecord record;
    record.rules = ixo::RuleSet::Standard;
    ixo::handicapPosition(index % 3 == 0 ? kStarts[1 + index / 3 % 10] : kStarts[0], record.start);
    std::string error;
    game.load(std::move(record), error);
    const int length = std::uniform_int_distribution<int>(1, 200)(random);
    std::vector<ixo::MoveRequest> moves;
    for (int ply = 0; ply < length && !game.outcome().over(); ++ply) {
        ixo::legalMoves(game.position(), moves);
        if (moves.empty()) {
            break;
        }
        game.play(moves[std::uniform_int_distribution<std::size_t>(0, moves.size() - 1)(random)]);
    }
    if (!game.outcome().over()) {
        const int side = game.position().sideToMove;
        switch (index % 4) {
            case 1:
                game.resign();
                break;
            case 2:
                game.loseOnTime(side);
                break;
            case 3:
                game.loseByFoul(side);
                break;
            default:
                break;
        }
    }
}

// The same record with each move's time set from `times`.
ixo::GameRecord timed(ixo::GameRecord record, const std::vector<ixo::MoveTime>& times) {
    std::size_t ply = 0;
    for (ixo::RecordNode* node = record.root().mainChild(); node && ply < times.size();
         node = node->mainChild()) {
        if (!node->isEnd()) {
            node->time = times[ply++];
            node->timed = true;
        }
    }
    return record;
}

// Times of every ply, most of them seconds, some past an hour for one move, a few long enough
// to take a side's total past 99 hours; the milliseconds are there to be cut off.
std::vector<ixo::MoveTime> randomTimes(std::mt19937& random, std::size_t plies) {
    std::vector<ixo::MoveTime> times(plies);
    for (ixo::MoveTime& time : times) {
        const int kind = std::uniform_int_distribution<int>(0, 49)(random);
        const std::int64_t most = kind < 35 ? 60 : kind < 45 ? 3600 : kind < 49 ? 7200 : 400000;
        time.usedMs = std::uniform_int_distribution<std::int64_t>(0, most * 1000 - 1)(random);
    }
    return times;
}

// "USED TOTAL" in whole seconds, one line per ply: what a reader must make of the columns,
// worked out here from the times given rather than from the record written.
std::string expectedTimes(const std::vector<ixo::Move>& moves,
                          const std::vector<ixo::MoveTime>& times) {
    std::string text;
    std::int64_t totals[2] = {0, 0};
    for (std::size_t ply = 0; ply < moves.size(); ++ply) {
        const std::int64_t seconds = times[ply].usedMs / 1000;
        totals[moves[ply].owner] += seconds;
        text += std::to_string(seconds) + ' ' + std::to_string(totals[moves[ply].owner]) + '\n';
    }
    return text;
}

std::string readTimes(const ixo::GameRecord& record) {
    std::string text;
    for (const ixo::MoveTime& time : ixo::test::mainLineTimes(record)) {
        text +=
            std::to_string(time.usedMs / 1000) + ' ' + std::to_string(time.totalMs / 1000) + '\n';
    }
    return text;
}

int writeGames(const std::string& folder, int count, unsigned seed) {
    std::mt19937 random(seed);
    for (int index = 1; index <= count; ++index) {
        // Lengths from a short opening to a long game. Every other game keeps the kings safe
        // as full shogi demands; the rest play by this game's rules alone, where a king may be
        // left in check or taken, and such records must open elsewhere too.
        const int length = std::uniform_int_distribution<int>(1, 160)(random);
        const std::vector<ixo::Move> game = ixo::randomGame(random, length, index % 2 == 0);
        const std::vector<ixo::MoveTime> times = randomTimes(random, game.size());
        const std::string base = folder + "/ours-" + std::to_string(index);
        std::ofstream(base + ".kifu", std::ios::binary) << ixo::test::kifPlayedHere(
            ixo::test::lineRecord(ixo::RuleSet::Simple, game, ixo::Position::start(), times),
            "2026/01/02 03:04:05");
        std::ofstream(base + ".usi", std::ios::binary) << usiOf(game) << '\n';
        std::ofstream(base + ".times", std::ios::binary) << expectedTimes(game, times);

        ixo::Match standard(ixo::RuleSet::Standard, [] { return std::int64_t{0}; });
        playRandomStandardGame(standard, random, index);
        const std::vector<ixo::MoveTime> standardTimes =
            randomTimes(random, standard.played().size());
        const std::string standardBase = folder + "/ours-std-" + std::to_string(index);
        std::ofstream(standardBase + ".kifu", std::ios::binary) << ixo::test::kifPlayedHere(
            timed(ixo::recordToWrite(standard), standardTimes), "2026/01/02 03:04:05");
        std::ofstream(standardBase + ".times", std::ios::binary)
            << expectedTimes(standard.played(), standardTimes);
        std::ofstream(standardBase + ".usi", std::ios::binary)
            << usiOfStandard(standard.played()) << '\n';
        std::ofstream(standardBase + ".sfen", std::ios::binary)
            << ixo::toSfen(standard.record().start) << '\n';
        std::ofstream(standardBase + ".end", std::ios::binary) << endingName(standard) << '\n';
    }
    return 0;
}

std::string withoutLineEnd(std::string text) {
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) {
        text.pop_back();
    }
    return text;
}

int readAndCompare(const std::string& path, const std::string& usiPath) {
    std::string bytes, expected;
    if (!ixo::readWholeFile(path, bytes) || !ixo::readWholeFile(usiPath, expected)) {
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
    const ixo::RecordReading reading = ixo::readKifRecord(*text);
    if (!reading.ok()) {
        std::cerr << path << ':' << reading.errorLine << ": " << reading.error << '\n';
        return 1;
    }
    const ixo::GameRecord& record = reading.record;
    const std::vector<ixo::Move> moves = ixo::test::mainLineMoves(record);
    const std::string ours =
        record.rules == ixo::RuleSet::Standard ? usiOfStandard(moves) : usiOf(moves);
    // As the game opens it: at the end of its main line, with the ending the record gives.
    ixo::Match opened(record.rules);
    std::string error;
    if (!opened.load(record, error)) {
        std::cerr << path << ": the game cannot stand where the record ends: " << error << '\n';
        return 1;
    }
    const std::string base = usiPath.substr(0, usiPath.rfind('.'));
    std::string sfen, ending;
    if (ixo::readWholeFile(base + ".sfen", sfen) &&
        withoutLineEnd(sfen) != ixo::toSfen(record.start)) {
        std::cerr << path << ": starts elsewhere\n  read:     " << ixo::toSfen(record.start)
                  << "\n  expected: " << withoutLineEnd(sfen) << '\n';
        return 1;
    }
    if (ixo::readWholeFile(base + ".end", ending) && withoutLineEnd(ending) != endingName(opened)) {
        std::cerr << path << ": ends otherwise\n  read:     " << endingName(opened)
                  << "\n  expected: " << withoutLineEnd(ending) << '\n';
        return 1;
    }
    if (ours != expected) {
        std::cerr << path << ": moves differ\n  read:     " << ours << "\n  expected: " << expected
                  << '\n';
        return 1;
    }
    std::string times;
    if (ixo::readWholeFile(base + ".times", times) && readTimes(record) != times) {
        std::cerr << path << ": times differ\n  read:\n"
                  << readTimes(record) << "  expected:\n"
                  << times;
        return 1;
    }
    return 0;
}

// One line a node, depth first as KIF lists them: "N PLY FIRST MOVE COMMENT BOOKMARK", where
// FIRST says whether the node carries its parent's line on and MOVE is USI or tsshogi's name
// of a special move; then "H KEY VALUE" for every header. Line breaks in a comment are "\\n".
std::string treeDump(const ixo::GameRecord& record) {
    static const char* const kEndNames[] = {
        "",        "resign",  "interrupt", "impass",         "repetitionDraw", "mate",
        "timeout", "foulWin", "foulLose",  "enteringOfKing", "winByDefault",   "loseByDefault",
        "noMate"};
    const auto escaped = [](std::string text) {
        while (!text.empty() && text.back() == '\n') {
            text.pop_back();
        }
        std::string out;
        for (const char c : text) {
            out += c == '\n' ? std::string("\\n") : std::string(1, c);
        }
        return out;
    };
    std::string text;
    std::vector<const ixo::RecordNode*> pending{&record.root()};
    while (!pending.empty()) {
        const ixo::RecordNode* node = pending.back();
        pending.pop_back();
        const bool first = node->isRoot() || node->parent->indexOf(node) == 0;
        std::string move = "start";
        if (node->isEnd()) {
            move = kEndNames[static_cast<int>(node->end)];
        } else if (!node->isRoot()) {
            move = ixo::usiMove(ixo::requestOf(node->move));
        }
        text += "N\t" + std::to_string(node->ply) + "\t" + (first ? "1" : "0") + "\t" + move +
                "\t" + escaped(node->comment) + "\t" + node->bookmark + "\n";
        for (auto child = node->children.rbegin(); child != node->children.rend(); ++child) {
            pending.push_back(child->get());
        }
    }
    for (const ixo::RecordHeader& header : record.headers) {
        if (header.key != "手合割") {
            text += "H\t" + header.key + "\t" + header.value + "\n";
        }
    }
    return text;
}

int dumpTree(const std::string& path, const std::string& out) {
    std::string bytes;
    if (!ixo::readWholeFile(path, bytes)) {
        std::cerr << path << ": cannot read it\n";
        return 1;
    }
    const std::optional<std::string> text = ixo::decodeRecordText(bytes);
    if (!text) {
        std::cerr << path << ": neither UTF-8 nor Shift_JIS\n";
        return 1;
    }
    const ixo::RecordReading reading = ixo::readKifRecord(*text);
    if (!reading.ok()) {
        std::cerr << path << ':' << reading.errorLine << ": " << reading.error << '\n';
        return 1;
    }
    for (const std::string& warning : reading.warnings) {
        std::cerr << path << ':' << warning << '\n';
    }
    std::ofstream(out + ".orig.kif", std::ios::binary) << *text;
    std::ofstream(out + ".ours.kif", std::ios::binary) << ixo::writeKifRecord(reading.record);
    std::ofstream(out + ".tree", std::ios::binary) << treeDump(reading.record);
    return 0;
}

// A game as it is played: three moves, two taken back, another played in their place. The
// line taken back stays in the record as a variation of move 2.
int writeTakeBack(const std::string& out) {
    ixo::GameRecord record;
    record.rules = ixo::RuleSet::Standard;
    ixo::setRecordHeader(record, "開始日時", "2026/12/08 10:00:00");
    ixo::setPlayerName(record, 0, "Blue");
    ixo::setPlayerName(record, 1, "Red");
    ixo::RecordNode* at = &record.root();
    for (const char* usi : {"7g7f", "3c3d", "2g2f"}) {
        ixo::MoveRequest request;
        ixo::parseUsiMove(usi, request);
        ixo::Position position = ixo::positionAt(record, *at);
        ixo::Move made;
        if (!ixo::playStandardMove(position, request, &made)) {
            std::cerr << usi << ": refused\n";
            return 1;
        }
        at = record.addMove(*at, made, ixo::GameRecord::Placement::MainLine);
    }
    at->comment = "taken back";
    at = at->parent->parent;
    ixo::MoveRequest request;
    ixo::parseUsiMove("8c8d", request);
    ixo::Position position = ixo::positionAt(record, *at);
    ixo::Move made;
    if (!ixo::playStandardMove(position, request, &made)) {
        std::cerr << "8c8d: refused\n";
        return 1;
    }
    record.addMove(*at, made, ixo::GameRecord::Placement::MainLine);
    std::ofstream(out + ".ours.kif", std::ios::binary) << ixo::writeKifRecord(record);
    std::ofstream(out + ".tree", std::ios::binary) << treeDump(record);
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
    if (command == "tree" && argc == 4) {
        return dumpTree(argv[2], argv[3]);
    }
    if (command == "takeback" && argc == 3) {
        return writeTakeBack(argv[2]);
    }
    std::cerr << "usage: kif_interop write DIR COUNT SEED | read FILE USI | tree FILE OUT | "
                 "takeback OUT\n";
    return 2;
}
