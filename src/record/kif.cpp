#include "record/kif.h"

namespace ixo {

namespace {

GameRecord recordOf(RuleSet rules, const Position& start, const std::vector<Move>& moves,
                    const std::vector<MoveTime>& times) {
    GameRecord record;
    record.rules = rules;
    record.start = start;
    record.handicap = handicapNameOf(start);
    RecordNode* at = &record.root();
    for (std::size_t index = 0; index < moves.size(); ++index) {
        at = record.addMove(*at, moves[index], GameRecord::Placement::MainLine);
        if (index < times.size()) {
            at->time = times[index];
            at->timed = true;
        }
    }
    return record;
}

LineEnd lineEndOf(const StandardGame& game) {
    const Outcome& outcome = game.outcome();
    switch (outcome.how) {
        case GameEnd::Checkmate:
            return LineEnd::Checkmate;
        case GameEnd::Resignation:
            return LineEnd::Resignation;
        case GameEnd::Repetition:
            return LineEnd::Repetition;
        case GameEnd::Impasse:
            return LineEnd::ImpasseWin;
        case GameEnd::TimeUp:
            return LineEnd::TimeUp;
        case GameEnd::PerpetualCheck:
        case GameEnd::FailedImpasse:
        case GameEnd::IllegalMove:
            return outcome.winner == game.position().sideToMove ? LineEnd::FoulWin
                                                                : LineEnd::FoulLoss;
        case GameEnd::None:
            break;
    }
    return LineEnd::None;
}

}  // namespace

std::string writeKif(const std::vector<Move>& moves, const std::string& startTime,
                     const std::vector<MoveTime>& times, const KifPlayers& players) {
    GameRecord record = recordOf(RuleSet::Simple, Position::start(), moves, times);
    record.headers = {
        {"開始日時", startTime}, {"手合割", kEvenGameName}, {"先手", "Blue"}, {"後手", "Red"}};
    setPlayerName(record, 0, players.blue);
    setPlayerName(record, 1, players.red);
    return writeKifRecord(record);
}

std::string writeStandardKif(const StandardGame& game, const std::string& startTime,
                             const std::vector<KifHeader>& kept, const std::vector<MoveTime>& times,
                             const KifPlayers& players) {
    GameRecord record = recordOf(RuleSet::Standard, game.startPosition(), game.played(), times);
    record.headers = kept;
    setGameHeaders(record, startTime);
    setPlayerName(record, 0, players.blue);
    setPlayerName(record, 1, players.red);
    const LineEnd end = lineEndOf(game);
    if (end != LineEnd::None) {
        record.addEnd(record.mainLineEnd(), end, GameRecord::Placement::MainLine);
    }
    return writeKifRecord(record);
}

StandardGame mainLineGame(const GameRecord& record) {
    StandardGame game(record.start);
    LineEnd end = LineEnd::None;
    for (const RecordNode* node = record.root().mainChild(); node; node = node->mainChild()) {
        if (node->isEnd()) {
            end = node->end;
            break;
        }
        if (!game.play(requestOf(node->move))) {
            return game;
        }
    }
    if (game.outcome().over()) {
        return game;
    }
    const int side = game.position().sideToMove;
    switch (end) {
        case LineEnd::Resignation:
        case LineEnd::Checkmate:
            game.resign();
            break;
        case LineEnd::FoulLoss:
            game.loseByFoul(side);
            break;
        case LineEnd::FoulWin:
            game.loseByFoul(1 - side);
            break;
        case LineEnd::TimeUp:
            game.loseOnTime(side);
            break;
        case LineEnd::ImpasseWin:
            game.declareImpasse();
            break;
        default:
            // 中断 leaves the game to be played on; a draw the rules did not reach (持将棋, a
            // repetition cut short) has no ending the game could show, so it is played on too.
            break;
    }
    return game;
}

KifReading readKif(const std::string& utf8Text) {
    const RecordReading reading = readKifRecord(utf8Text);
    KifReading result;
    result.rules = reading.record.rules;
    result.headers = reading.record.headers;
    result.errorLine = reading.errorLine;
    result.error = reading.error;
    result.warnings = reading.warnings;
    for (const RecordNode* node = reading.record.root().mainChild(); node && !node->isEnd();
         node = node->mainChild()) {
        result.moves.push_back(node->move);
        result.times.push_back(node->time);
    }
    if (result.rules == RuleSet::Standard) {
        result.standard = mainLineGame(reading.record);
    }
    return result;
}

}  // namespace ixo
