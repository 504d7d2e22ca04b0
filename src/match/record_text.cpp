#include "match/record_text.h"

#include <vector>

namespace ixo {

namespace {

// Brings an ending of the tree into the standard game the writer takes. Each line names
// the result for the side to move, as the record has it.
void endAs(StandardGame& game, LineEnd end) {
    const int side = game.position().sideToMove;
    switch (end) {
        case LineEnd::Resignation:
            game.resign();
            break;
        case LineEnd::TimeUp:
            game.loseOnTime(side);
            break;
        case LineEnd::FoulLoss:
            game.loseByFoul(side);
            break;
        case LineEnd::FoulWin:
            game.loseByFoul(1 - side);
            break;
        case LineEnd::ImpasseWin:
            game.declareImpasse();
            break;
        default:
            // The writer has no words for the others yet; mate and repetition it finds itself.
            break;
    }
}

LineEnd lineEndOf(const Outcome& outcome, int sideToMove) {
    switch (outcome.how) {
        case GameEnd::Resignation:
            return LineEnd::Resignation;
        case GameEnd::TimeUp:
            return LineEnd::TimeUp;
        case GameEnd::Impasse:
            return LineEnd::ImpasseWin;
        case GameEnd::FailedImpasse:
            return LineEnd::FoulLoss;
        case GameEnd::IllegalMove:
            return outcome.winner == sideToMove ? LineEnd::FoulWin : LineEnd::FoulLoss;
        default:
            return LineEnd::None;  // found again by the rules from the position
    }
}

}  // namespace

std::string kifText(const GameRecord& record, const RecordNode& upTo, const std::string& startTime,
                    const KifPlayers& players) {
    std::vector<Move> moves;
    std::vector<MoveTime> times;
    LineEnd end = LineEnd::None;
    for (const RecordNode* node : GameRecord::path(upTo)) {
        if (node->isEnd()) {
            end = node->end;
            continue;
        }
        moves.push_back(node->move);
        times.push_back(node->time);
    }
    if (record.rules != RuleSet::Standard) {
        return writeKif(moves, startTime, times, players);
    }
    StandardGame game(record.start);
    for (const Move& move : moves) {
        if (!game.play(requestOf(move))) {
            break;  // a match's record never holds one; the moves before it are still kept
        }
    }
    endAs(game, end);
    std::vector<KifHeader> kept;
    for (const RecordHeader& header : record.headers) {
        kept.push_back(KifHeader{header.key, header.value});
    }
    return writeStandardKif(game, startTime, kept, times, players);
}

GameRecord recordOf(const KifReading& reading) {
    GameRecord record;
    record.rules = reading.rules;
    record.start =
        reading.rules == RuleSet::Standard ? reading.standard.startPosition() : Position::start();
    for (const KifHeader& header : reading.headers) {
        record.headers.push_back(RecordHeader{header.key, header.value});
    }
    RecordNode* at = &record.root();
    for (std::size_t ply = 0; ply < reading.moves.size(); ++ply) {
        at = record.addMove(*at, reading.moves[ply], GameRecord::Placement::MainLine);
        if (ply < reading.times.size()) {
            at->time = reading.times[ply];
            at->timed = true;
        }
    }
    if (reading.rules == RuleSet::Standard) {
        const LineEnd end =
            lineEndOf(reading.standard.outcome(), reading.standard.position().sideToMove);
        if (end != LineEnd::None) {
            record.addEnd(*at, end, GameRecord::Placement::MainLine);
        }
    }
    return record;
}

}  // namespace ixo
