#include "record/csa_reader.h"

#include <cstdint>
#include <utility>
#include <vector>

#include "record/evaluation_comments.h"
#include "record/kif_syntax.h"
#include "record/replay.h"
#include "shogi/csa_notation.h"
#include "shogi/handicaps.h"
#include "shogi/notation.h"
#include "shogi/standard_rules.h"

namespace ixo {

namespace {

using std::string_view;

// Engines' reading lines run to a few thousand characters; a line past this is no record's.
constexpr std::size_t kMaxLineBytes = 65536;

struct KeyPair {
    string_view csa;
    string_view kif;
};

// As other programs convert them, so a header keeps its meaning across formats.
constexpr KeyPair kKeys[] = {
    {"EVENT", "棋戦"},         {"SITE", "場所"},           {"START_TIME", "開始日時"},
    {"END_TIME", "終了日時"},  {"TIME_LIMIT", "持ち時間"}, {"OPENING", "戦型"},
    {"MAX_MOVES", "最大手数"}, {"JISHOGI", "持将棋"},      {"NOTE", "備考"},
    {"TIME+", "先手持ち時間"}, {"TIME-", "後手持ち時間"},  {"TIME", "持ち時間"},
};

struct EndName {
    string_view word;
    LineEnd end;
};

// The special moves whose meaning does not depend on whose turn it is.
constexpr EndName kEndNames[] = {
    {"TORYO", LineEnd::Resignation},     {"CHUDAN", LineEnd::Interrupted},
    {"SENNICHITE", LineEnd::Repetition}, {"TIME_UP", LineEnd::TimeUp},
    {"ILLEGAL_MOVE", LineEnd::FoulLoss}, {"JISHOGI", LineEnd::Impasse},
    {"KACHI", LineEnd::ImpasseWin},      {"HIKIWAKE", LineEnd::Draw},
    {"MAX_MOVES", LineEnd::MaxMoves},    {"TSUMI", LineEnd::Checkmate},
    {"FUZUMI", LineEnd::NoMate},         {"ERROR", LineEnd::Error},
    {"MATTA", LineEnd::TakeBack},
};

// "12", "12.5" or "0.125" as milliseconds; -1 for anything else or past any game's length.
std::int64_t timeMs(string_view text) {
    std::int64_t seconds = 0;
    int digits = 0;
    while (!text.empty() && text.front() >= '0' && text.front() <= '9') {
        if (++digits > 9) {
            return -1;
        }
        seconds = seconds * 10 + (text.front() - '0');
        text.remove_prefix(1);
    }
    std::int64_t ms = 0;
    if (consume(text, ".")) {
        std::int64_t scale = 100;
        while (!text.empty() && text.front() >= '0' && text.front() <= '9') {
            ms += (text.front() - '0') * scale;
            scale /= 10;
            text.remove_prefix(1);
        }
    }
    return digits == 0 || !text.empty() ? -1 : seconds * 1000 + ms;
}

class CsaReader {
  public:
    explicit CsaReader(RecordReading& result)
        : result_(result), record_(result.record), current_(&result.record.root()) {
        record_.rules = RuleSet::Standard;
    }

    // False when reading stops: the record is refused.
    bool readLine(string_view line, int number);
    bool finish();

  private:
    bool fail(std::string reason) {
        result_.errorLine = lineNumber_;
        result_.error = std::move(reason);
        return false;
    }
    void warn(const std::string& what) {
        result_.warnings.push_back(std::to_string(lineNumber_) + ": " + what);
    }
    bool readComment(string_view body);
    bool readStatement(string_view statement);
    bool readHeader(string_view statement);
    bool startMoves();
    bool readMove(string_view text);
    bool readEnd(string_view word);
    bool readTime(string_view text);
    void addComment(RecordNode& node, string_view text);

    RecordReading& result_;
    GameRecord& record_;
    int lineNumber_ = 0;
    bool sawAnything_ = false;  // a statement of a record, not only comments

    CsaPositionReader positionReader_;
    bool sawPosition_ = false;
    bool moving_ = false;  // the side-to-move line was read: moves follow
    bool ended_ = false;   // a % line ended the game
    bool timedLast_ = false;
    RecordNode* current_;
    Position position_;
    StandardGame game_;
    int moves_ = 0;
    std::string blueName_, redName_;
};

bool CsaReader::readLine(string_view line, int number) {
    lineNumber_ = number;
    if (trimmed(line).empty()) {
        return true;
    }
    if (line.front() == '\'') {
        return readComment(line.substr(1));
    }
    line = trimmed(line);
    // A name or a header value may hold a comma; only the other lines are split at them.
    if (line.front() == 'N' || line.front() == '$') {
        return readStatement(line);
    }
    while (!line.empty()) {
        const std::size_t comma = line.find(',');
        const string_view statement = trimmed(line.substr(0, comma));
        line.remove_prefix(comma == string_view::npos ? line.size() : comma + 1);
        if (statement.empty()) {
            continue;
        }
        // A comment may close a line of statements ("+7776FU,'* 30 ..."): it runs to the end.
        if (statement.front() == '\'') {
            const string_view whole =
                line.empty()
                    ? statement
                    : string_view(
                          statement.data(),
                          static_cast<std::size_t>(line.data() + line.size() - statement.data()));
            return readComment(whole.substr(1));
        }
        if (!readStatement(statement)) {
            return false;
        }
    }
    return true;
}

void CsaReader::addComment(RecordNode& node, string_view text) {
    if (!node.comment.empty()) {
        node.comment += '\n';
    }
    node.comment += text;
}

bool CsaReader::readComment(string_view body) {
    while (!body.empty() && body.back() == '\r') {
        body.remove_suffix(1);
    }
    // The encoding line of V3.0 and of Kifu for Windows: the decoder has used it already.
    if (!sawAnything_ && current_->isRoot() &&
        (startsWith(body, "CSA encoding=") || startsWith(body, "encoding="))) {
        return true;
    }
    if (!consume(body, "*")) {
        addComment(*current_, body);
        return true;
    }
    string_view rest = body;
    if (consume(rest, "*")) {
        // floodgate's "'** 30 -3334FU +2726FU": the mover's engine's score for Blue and the
        // line it expected. Anything else after "'**" is a comment of its own kind.
        string_view text = trimmed(rest);
        const bool negative = consume(text, "-");
        if (!negative) {
            consume(text, "+");
        }
        std::int64_t score = 0;
        int digits = 0;
        while (!text.empty() && text.front() >= '0' && text.front() <= '9' && digits < 9) {
            score = score * 10 + (text.front() - '0');
            text.remove_prefix(1);
            ++digits;
        }
        if (digits > 0 && (text.empty() || text.front() == ' ') && !current_->evaluated &&
            !current_->isRoot()) {
            current_->evaluated = true;
            current_->evaluation.centipawns = static_cast<std::int32_t>(negative ? -score : score);
            current_->evaluation.line = std::string(trimmed(text));
            return true;
        }
    }
    addComment(*current_, body);
    return true;
}

bool CsaReader::readStatement(string_view statement) {
    const char first = statement.front();
    if (first == 'V' && !moving_) {
        sawAnything_ = true;
        return true;
    }
    if (first == 'N' || first == '$') {
        sawAnything_ = true;
        return readHeader(statement);
    }
    if (!moving_ && CsaPositionReader::isPositionLine(std::string(statement))) {
        sawAnything_ = true;
        sawPosition_ = sawPosition_ || statement.size() > 1;
        std::string why;
        if (!positionReader_.readLine(std::string(statement), why)) {
            return fail(why);
        }
        return statement.size() == 1 ? startMoves() : true;
    }
    if (first == 'P') {
        return fail("a position line " + shownInRefusal(statement) + " after the moves have begun");
    }
    if (first == '+' || first == '-') {
        if (!moving_) {
            return fail("the move " + shownInRefusal(statement) +
                        " comes before the start position and the side to move");
        }
        return readMove(statement);
    }
    if (first == '%') {
        if (!moving_) {
            return fail(shownInRefusal(statement) +
                        " comes before the start position and the side to move");
        }
        return readEnd(statement.substr(1));
    }
    if (first == 'T') {
        return readTime(statement.substr(1));
    }
    return fail(shownInRefusal(statement) + " is not a line of a CSA record");
}

bool CsaReader::readHeader(string_view statement) {
    if (moving_) {
        // Championship relays write $END_TIME after the moves; it is a header all the same.
        if (statement.front() != '$') {
            return fail(shownInRefusal(statement) + " after the moves have begun");
        }
    }
    if (statement.front() == 'N') {
        if (statement.size() < 2 || (statement[1] != '+' && statement[1] != '-')) {
            return fail(shownInRefusal(statement) + " is not a line of a CSA record");
        }
        (statement[1] == '+' ? blueName_ : redName_) = std::string(trimmed(statement.substr(2)));
        return true;
    }
    const std::size_t colon = statement.find(':');
    if (colon == string_view::npos || colon < 2) {
        return fail(shownInRefusal(statement) + " is a header without its ':'");
    }
    const string_view key = statement.substr(1, colon - 1);
    const string_view value = trimmed(statement.substr(colon + 1));
    if (value.empty()) {
        return true;
    }
    const string_view kifKey = kifKeyOfCsaKey(key);
    const std::string name(kifKey.empty() ? key : kifKey);
    for (RecordHeader& header : record_.headers) {
        if (header.key == name) {
            header.value = std::string(value);
            return true;
        }
    }
    record_.headers.push_back({name, std::string(value)});
    return true;
}

bool CsaReader::startMoves() {
    if (!sawPosition_) {
        return fail("the side to move is given, but no start position before it");
    }
    std::string why;
    Position start;
    if (!positionReader_.finish(start, why)) {
        return fail(why);
    }
    std::vector<std::string> unusual;
    if (!validateSetUpPosition(start, why, unusual)) {
        return fail("the position set up cannot be played: " + why);
    }
    for (const std::string& what : unusual) {
        warn("the position set up is unusual: " + what);
    }
    record_.start = start;
    record_.handicap = handicapNameOf(start);
    position_ = start;
    game_ = StandardGame(start);
    moving_ = true;
    return true;
}

bool CsaReader::readMove(string_view text) {
    const std::string number = std::to_string(current_->ply + 1);
    if (ended_) {
        return fail("move " + number + " " + shownInRefusal(text) + " comes after the game ended");
    }
    if (moves_ >= kKifMaxMoves) {
        return fail("more than " + std::to_string(kKifMaxMoves) + " moves");
    }
    MoveRequest request;
    std::string why;
    if (!parseCsaMove(position_, std::string(text), request, why)) {
        return fail("move " + number + ": " + why);
    }
    // Through the one replay every format shares, so a CSA move is judged as a KIF one is.
    const WrittenMove written = writtenMoveOf(position_, request, text);
    Move made;
    if (!replayWrittenMove(RuleSet::Standard, position_, written, nullptr, made, why, &game_)) {
        return fail("move " + number + " " + shownInRefusal(text) + ": " + why);
    }
    current_ = record_.addMove(*current_, made, GameRecord::Placement::MainLine);
    ++moves_;
    timedLast_ = false;
    return true;
}

bool CsaReader::readEnd(string_view word) {
    if (ended_) {
        // A server writes the game's end after a player's own declaration of it.
        warn("a second ending, %" + shownInRefusal(word) + ", is left out");
        return true;
    }
    const LineEnd end = csaLineEnd(word, position_.sideToMove);
    if (end == LineEnd::None) {
        return fail("%" + shownInRefusal(word) + " is not a CSA special move");
    }
    current_ = record_.addEnd(*current_, end, GameRecord::Placement::MainLine);
    ended_ = true;
    timedLast_ = false;
    return true;
}

bool CsaReader::readTime(string_view text) {
    if (current_->isRoot()) {
        warn("a time before the first move is left out");
        return true;
    }
    const std::int64_t ms = timeMs(text);
    if (ms < 0) {
        return fail("T" + shownInRefusal(text) + " is not a time in seconds");
    }
    if (timedLast_) {
        warn("a second time for one move; the first is kept");
        return true;
    }
    const RecordNode* before = current_->parent ? current_->parent->parent : nullptr;
    const std::int64_t sideTotal =
        before && !before->isRoot() && !before->isEnd() ? before->time.totalMs : 0;
    current_->timed = true;
    current_->time.usedMs = ms;
    current_->time.totalMs = sideTotal + ms;
    timedLast_ = true;
    return true;
}

bool CsaReader::finish() {
    if (!moving_) {
        if (!sawAnything_ || !sawPosition_) {
            return fail("not a CSA record: it gives no start position");
        }
        // A position with no side line and no moves: a problem or a diagram, Blue to move.
        if (!startMoves()) {
            return false;
        }
    }
    // The names go first, as every writer puts them.
    std::vector<RecordHeader> names;
    if (!blueName_.empty()) {
        names.push_back({"先手", blueName_});
    }
    if (!redName_.empty()) {
        names.push_back({"後手", redName_});
    }
    record_.headers.insert(record_.headers.begin(), names.begin(), names.end());
    return true;
}

}  // namespace

LineEnd csaLineEnd(string_view word, int sideToMove) {
    for (const EndName& name : kEndNames) {
        if (word == name.word) {
            return name.end;
        }
    }
    // "%+ILLEGAL_ACTION": Blue (+) did what the rules forbid, and Red wins.
    if (word == "+ILLEGAL_ACTION" || word == "-ILLEGAL_ACTION") {
        const int culprit = word.front() == '+' ? 0 : 1;
        return culprit == sideToMove ? LineEnd::FoulLoss : LineEnd::FoulWin;
    }
    return LineEnd::None;
}

std::string csaEndWord(LineEnd end, int sideToMove) {
    if (end == LineEnd::FoulWin) {
        // The side to move wins by the other side's foul.
        return sideToMove == 0 ? "-ILLEGAL_ACTION" : "+ILLEGAL_ACTION";
    }
    for (const EndName& name : kEndNames) {
        if (name.end == end) {
            return std::string(name.word);
        }
    }
    return "";
}

string_view csaKeyOfKifKey(string_view kifKey) {
    for (const KeyPair& pair : kKeys) {
        if (pair.kif == kifKey) {
            return pair.csa;
        }
    }
    return "";
}

string_view kifKeyOfCsaKey(string_view csaKey) {
    for (const KeyPair& pair : kKeys) {
        if (pair.csa == csaKey) {
            return pair.kif;
        }
    }
    return "";
}

RecordReading readCsaRecord(const std::string& utf8Text) {
    RecordReading result;
    if (utf8Text.size() > kKifMaxTextBytes) {
        result.error = "the record is too long";
        return result;
    }
    CsaReader reader(result);
    string_view text(utf8Text);
    consume(text, "\xEF\xBB\xBF");
    int number = 0;
    bool stopped = false;
    while (!text.empty()) {
        ++number;
        const string_view line = takeRecordLine(text);
        if (line.size() > kMaxLineBytes) {
            result.errorLine = number;
            result.error = "line too long";
            return result;
        }
        if (trimmed(line) == "/") {
            // The games after the first: each '/' that has anything after it opens one.
            int more = 0;
            bool content = false;
            while (!text.empty()) {
                const std::size_t next = text.find('\n');
                const string_view rest = trimmed(text.substr(0, next));
                text.remove_prefix(next == string_view::npos ? text.size() : next + 1);
                if (rest == "/") {
                    more += content ? 1 : 0;
                    content = false;
                } else if (!rest.empty()) {
                    content = true;
                }
            }
            more += content ? 1 : 0;
            if (more > 0) {
                result.warnings.push_back(std::to_string(number) + ": the file holds " +
                                          std::to_string(more) +
                                          (more == 1 ? " more game" : " more games") +
                                          " after this one; only the first is opened");
            }
            break;
        }
        if (!reader.readLine(line, number)) {
            stopped = true;
            break;
        }
    }
    if (!stopped) {
        reader.finish();
    }
    // Verdicts another program wrote as comments show again without another analysis.
    readEvaluationComments(result.record);
    return result;
}

}  // namespace ixo
