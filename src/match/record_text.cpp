#include "match/record_text.h"

#include <vector>

#include "match/match.h"

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

namespace {

// One line of moves, with their times where there are some, and the standard game's ending.
GameRecord lineRecord(RuleSet rules, const Position& start, const std::vector<Move>& moves,
                      const std::vector<MoveTime>& times, const StandardGame* ended) {
    GameRecord record;
    record.rules = rules;
    record.start = start;
    RecordNode* at = &record.root();
    for (std::size_t ply = 0; ply < moves.size(); ++ply) {
        at = record.addMove(*at, moves[ply], GameRecord::Placement::MainLine);
        if (ply < times.size()) {
            at->time = times[ply];
            at->timed = true;
        }
    }
    if (ended) {
        const LineEnd end = lineEndOf(ended->outcome(), ended->position().sideToMove);
        if (end != LineEnd::None) {
            record.addEnd(*at, end, GameRecord::Placement::MainLine);
        }
    }
    return record;
}

}  // namespace

GameRecord recordOf(const KifReading& reading) {
    const bool standard = reading.rules == RuleSet::Standard;
    GameRecord record =
        lineRecord(reading.rules, standard ? reading.standard.startPosition() : Position::start(),
                   reading.moves, reading.times, standard ? &reading.standard : nullptr);
    for (const KifHeader& header : reading.headers) {
        record.headers.push_back(RecordHeader{header.key, header.value});
    }
    return record;
}

GameRecord recordOf(const StandardGame& game, const std::vector<MoveTime>& times) {
    return lineRecord(RuleSet::Standard, game.startPosition(), game.played(), times, &game);
}

StandardGame standardGameOf(const Match& match) {
    StandardGame game(match.record().start);
    for (const Move& move : match.played()) {
        if (!game.play(requestOf(move))) {
            break;  // a match never holds one; the moves before it are still kept
        }
    }
    const Outcome& outcome = match.outcome();
    const int loser = 1 - outcome.winner;
    switch (outcome.how) {
        case GameEnd::Resignation:
            game.resign();
            break;
        case GameEnd::Impasse:
        case GameEnd::FailedImpasse:
            game.declareImpasse();  // judged again from the same position, to the same end
            break;
        case GameEnd::TimeUp:
            game.loseOnTime(loser);
            break;
        case GameEnd::IllegalMove:
            game.loseByFoul(loser);
            break;
        default:
            break;  // mate and repetition the game finds again itself
    }
    return game;
}

}  // namespace ixo
