#include "record/kif_syntax.h"

namespace ixo {

namespace {

using std::string_view;

struct EndWord {
    string_view word;
    LineEnd end;
};

// Longest first where one word begins another.
constexpr EndWord kEndWords[] = {
    {"投了", LineEnd::Resignation},    {"中断", LineEnd::Interrupted},
    {"詰み", LineEnd::Checkmate},      {"千日手", LineEnd::Repetition},
    {"持将棋", LineEnd::Impasse},      {"切れ負け", LineEnd::TimeUp},
    {"時間切れ", LineEnd::TimeUp},     {"反則勝ち", LineEnd::FoulWin},
    {"反則負け", LineEnd::FoulLoss},   {"入玉勝ち", LineEnd::ImpasseWin},
    {"不戦勝", LineEnd::WinByDefault}, {"不戦敗", LineEnd::LossByDefault},
    {"不詰", LineEnd::NoMate},         {"最大手数", LineEnd::MaxMoves},
    {"引き分け", LineEnd::Draw},       {"エラー", LineEnd::Error},
    {"待った", LineEnd::TakeBack},
};

constexpr string_view kSealed = "封じ手";
constexpr string_view kHeaderColon = "：";

// No move takes this long; a time column beyond it is not a time, and counting it would only
// carry the totals towards overflow.
constexpr std::int64_t kMostSeconds = 10'000'000'000LL;

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// A number of up to eleven digits, ASCII spaces around it allowed, as the writers pad.
bool takeTimeField(string_view& text, std::int64_t& value) {
    while (!text.empty() && text.front() == ' ') {
        text.remove_prefix(1);
    }
    value = 0;
    int digits = 0;
    while (!text.empty() && isDigit(text.front())) {
        if (++digits > 11) {
            return false;
        }
        value = value * 10 + (text.front() - '0');
        text.remove_prefix(1);
    }
    while (!text.empty() && text.front() == ' ') {
        text.remove_prefix(1);
    }
    return digits > 0;
}

// What may follow a move or a special word: its time columns (some writers give two, and only
// the first is the move's), and the mark that a variation branches here.
void scanTail(string_view rest, KifLine& line) {
    for (;;) {
        skipSpaces(rest);
        if (rest.empty() || rest.front() != '(') {
            break;
        }
        const std::size_t close = rest.find(')');
        if (close == string_view::npos) {
            line.fault = "unexpected text after the move";
            line.faultWhole = true;
            return;
        }
        if (!line.timed) {
            // Programs pad the column every which way and some leave it out, and a column
            // nobody can read says nothing about the moves, so it is read as no time rather
            // than refused.
            const string_view column = rest.substr(1, close - 1);
            const std::size_t slash = column.find('/');
            line.timed = true;
            line.usedSeconds = kifTimeSeconds(column.substr(0, slash), false);
            line.totalSeconds =
                slash == string_view::npos ? -1 : kifTimeSeconds(column.substr(slash + 1), true);
        }
        rest.remove_prefix(close + 1);
    }
    consume(rest, "+");
    skipSpaces(rest);
    if (!rest.empty()) {
        line.fault = "unexpected text after the move";
        line.faultWhole = true;
    }
}

void scanNumbered(string_view text, KifLine& line) {
    long number = 0;
    while (!text.empty() && isDigit(text.front())) {
        if (number >= 0) {
            number = number * 10 + (text.front() - '0');
            if (number > kKifLargestNumber) {
                number = -1;
            }
        }
        text.remove_prefix(1);
    }
    line.number = number;
    line.kind = KifLineKind::Move;
    const std::size_t before = text.size();
    skipSpaces(text);
    if (text.size() == before) {
        line.fault = "not a move";
        line.faultWhole = true;
        return;
    }
    for (const EndWord& word : kEndWords) {
        if (consume(text, word.word)) {
            line.kind = KifLineKind::Special;
            line.end = word.end;
            // Some writers add words after the ending ("投了 (先手の勝ち)"); what follows it
            // is kept out of the way rather than refused.
            KifLine tail;
            scanTail(text, tail);
            line.timed = tail.timed;
            line.usedSeconds = tail.usedSeconds;
            line.totalSeconds = tail.totalSeconds;
            return;
        }
    }
    if (consume(text, kSealed)) {
        line.kind = KifLineKind::Sealed;
        scanTail(text, line);
        return;
    }
    if (!takeWrittenMove(text, line.move, line.fault)) {
        return;
    }
    scanTail(text, line);
}

}  // namespace

std::int64_t kifTimeSeconds(string_view text, bool hours) {
    std::int64_t fields[3] = {0, 0, 0};
    const int count = hours ? 3 : 2;
    for (int index = 0; index < count; ++index) {
        if ((index > 0 && !consume(text, ":")) || !takeTimeField(text, fields[index])) {
            return -1;
        }
    }
    const std::int64_t seconds = fields[count - 1];
    const std::int64_t minutes = fields[count - 2];
    if (!text.empty() || seconds >= 60 || (hours && minutes >= 60)) {
        return -1;
    }
    const std::int64_t total = (hours ? fields[0] * 3600 : 0) + minutes * 60 + seconds;
    return total <= kMostSeconds ? total : -1;
}

string_view lineEndWord(LineEnd end) {
    for (const EndWord& word : kEndWords) {
        if (word.end == end) {
            return word.word;
        }
    }
    return "";
}

LineEnd lineEndOfWord(string_view word) {
    for (const EndWord& entry : kEndWords) {
        if (entry.word == word) {
            return entry.end;
        }
    }
    return LineEnd::None;
}

KifLine scanKifLine(string_view raw) {
    KifLine line;
    string_view text = trimmed(raw);
    if (text.empty()) {
        line.kind = KifLineKind::Blank;
        return line;
    }
    const char first = text.front();
    if (first == '#' || first == '*' || first == '&') {
        line.kind = first == '#'   ? KifLineKind::Program
                    : first == '*' ? KifLineKind::Comment
                                   : KifLineKind::Bookmark;
        // A comment is kept as written: only what precedes its mark is padding.
        string_view body = raw;
        body.remove_prefix(body.find(first) + 1);
        while (!body.empty() && body.back() == '\r') {
            body.remove_suffix(1);
        }
        line.text = first == '#' ? text : body;
        return line;
    }
    if (isDigit(first)) {
        scanNumbered(text, line);
        return line;
    }
    if (startsWith(text, "まで")) {
        line.kind = KifLineKind::Summary;
        line.text = text;
        return line;
    }
    if (consume(text, "変化")) {
        line.kind = KifLineKind::Variation;
        if (!consume(text, kHeaderColon)) {
            consume(text, ":");
        }
        skipSpaces(text);
        long ply = 0;
        while (!text.empty() && isDigit(text.front()) && ply <= kKifLargestNumber) {
            ply = ply * 10 + (text.front() - '0');
            text.remove_prefix(1);
        }
        line.number = ply > kKifLargestNumber ? -1 : ply;
        return line;
    }
    if (startsWith(text, "手数----")) {
        line.kind = KifLineKind::MoveTable;
        return line;
    }
    if (text == "先手番" || text == "後手番" || text == "上手番" || text == "下手番") {
        line.kind = KifLineKind::SideToMove;
        line.text = text;
        return line;
    }
    if (first == '|') {
        line.kind = KifLineKind::DiagramRow;
        line.text = text;
        return line;
    }
    if (first == '+' || startsWith(text, "９") || startsWith(text, "手数＝")) {
        line.kind = KifLineKind::DiagramFrame;
        return line;
    }
    const std::size_t colon = text.find(kHeaderColon);
    if (colon == string_view::npos || colon == 0) {
        line.kind = KifLineKind::Unknown;
        line.text = text;
        return line;
    }
    line.kind = KifLineKind::Header;
    line.key = trimmed(text.substr(0, colon));
    line.text = trimmed(text.substr(colon + kHeaderColon.size()));
    return line;
}

string_view takeRecordLine(string_view& text) {
    const std::size_t end = text.find('\n');
    string_view line = text.substr(0, end);
    text.remove_prefix(end == string_view::npos ? text.size() : end + 1);
    if (!line.empty() && line.back() == '\r') {
        line.remove_suffix(1);
    }
    return line;
}

std::string shownInRefusal(string_view text) {
    if (text.size() > 48 || !validUtf8(text)) {
        return "?";
    }
    for (const char c : text) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) {
            return "?";
        }
    }
    return std::string(text);
}

std::string bookmarkText(std::string_view text) {
    std::string line(text);
    for (char& c : line) {
        c = c == '\n' || c == '\r' ? ' ' : c;
    }
    return line;
}

void appendKifNotes(std::string& text, const RecordNode& node) {
    // Every line, an empty last one too: a comment ending in a line break keeps it.
    const string_view comment = node.comment;
    for (std::size_t start = 0; !comment.empty();) {
        const std::size_t end = comment.find('\n', start);
        text += '*';
        text += comment.substr(start, end == string_view::npos ? end : end - start);
        text += '\n';
        if (end == string_view::npos) {
            break;
        }
        start = end + 1;
    }
    if (!node.bookmark.empty()) {
        text += '&' + bookmarkText(node.bookmark) + '\n';
    }
}

}  // namespace ixo
