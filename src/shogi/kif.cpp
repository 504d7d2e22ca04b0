#include "shogi/kif.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <string_view>
#include <utility>

namespace ixo {

namespace {

using std::string_view;

// Indexed by PieceCode. Writers name a promoted lance, knight and silver with two characters;
// readers also meet the one-character forms further down.
constexpr std::array<string_view, 15> kPieceNames = {
    "", "歩", "と", "角", "馬", "飛", "龍", "香", "成香", "桂", "成桂", "銀", "成銀", "金", "玉",
};

struct PieceAlias {
    string_view name;
    int code;
};

// The two-character names come first: each begins with 成, which is also the promotion mark.
constexpr PieceAlias kPieceAliases[] = {
    {"成香", PromotedLance},
    {"成桂", PromotedKnight},
    {"成銀", PromotedSilver},
    {"歩", Pawn},
    {"と", PromotedPawn},
    {"角", Bishop},
    {"馬", PromotedBishop},
    {"飛", Rook},
    {"龍", PromotedRook},
    {"竜", PromotedRook},
    {"香", Lance},
    {"杏", PromotedLance},
    {"桂", Knight},
    {"圭", PromotedKnight},
    {"銀", Silver},
    {"全", PromotedSilver},
    {"金", Gold},
    {"玉", King},
    {"王", King},
};

constexpr std::array<string_view, 9> kFileDigits = {"１", "２", "３", "４", "５",
                                                    "６", "７", "８", "９"};
constexpr std::array<string_view, 9> kRankNumerals = {"一", "二", "三", "四", "五",
                                                      "六", "七", "八", "九"};

// Words that stand where a move would and end the game: resignation, interruption, mate,
// repetition, impasse, time and the referee's decisions.
constexpr string_view kEndWords[] = {
    "投了",     "中断",     "詰み",     "千日手", "持将棋", "切れ負け", "時間切れ",
    "反則勝ち", "反則負け", "入玉勝ち", "不戦勝", "不戦敗", "不詰",
};

constexpr string_view kIdeographicSpace = "　";
constexpr string_view kHeaderColon = "：";
constexpr string_view kSame = "同";

// Longer lines are refused outright; real records stay far below this even in comments.
constexpr std::size_t kMaxLineBytes = 8192;

// The width of a move in a fixed-pitch font, where KIF's full-width characters take two
// columns; the longest move, "２二銀成(31)", takes 12, and the time column starts after 13.
constexpr int kMoveColumnWidth = 13;

int displayWidth(string_view text) {
    int width = 0;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x80) {
            width += 1;
        } else if (byte >= 0xC0) {
            width += 2;
        }
    }
    return width;
}

int fileOf(int column) {
    return kBoardSize - column;
}

int columnOf(int file) {
    return kBoardSize - file;
}

bool startsWith(string_view text, string_view prefix) {
    return text.substr(0, prefix.size()) == prefix;
}

bool consume(string_view& text, string_view prefix) {
    if (!startsWith(text, prefix)) {
        return false;
    }
    text.remove_prefix(prefix.size());
    return true;
}

void skipSpaces(string_view& text) {
    while (!text.empty()) {
        if (text.front() == ' ' || text.front() == '\t') {
            text.remove_prefix(1);
        } else if (!consume(text, kIdeographicSpace)) {
            return;
        }
    }
}

bool endsWith(string_view text, string_view suffix) {
    return text.size() >= suffix.size() && text.substr(text.size() - suffix.size()) == suffix;
}

string_view trimmed(string_view text) {
    skipSpaces(text);
    for (;;) {
        if (!text.empty() && (text.back() == ' ' || text.back() == '\t')) {
            text.remove_suffix(1);
        } else if (endsWith(text, kIdeographicSpace)) {
            text.remove_suffix(kIdeographicSpace.size());
        } else {
            return text;
        }
    }
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// A file written either full-width, as KIF writers do, or as a plain digit; 0 when neither.
int takeFile(string_view& text) {
    for (int file = 1; file <= kBoardSize; ++file) {
        if (consume(text, kFileDigits[file - 1])) {
            return file;
        }
    }
    if (!text.empty() && text.front() >= '1' && text.front() <= '9') {
        const int file = text.front() - '0';
        text.remove_prefix(1);
        return file;
    }
    return 0;
}

int takeRank(string_view& text) {
    for (int rank = 1; rank <= kBoardSize; ++rank) {
        if (consume(text, kRankNumerals[rank - 1])) {
            return rank;
        }
    }
    return 0;
}

int takePiece(string_view& text) {
    for (const PieceAlias& alias : kPieceAliases) {
        if (consume(text, alias.name)) {
            return alias.code;
        }
    }
    return Empty;
}

// "(77)": the origin as two plain digits, file then rank.
bool takeOrigin(string_view& text, int& file, int& rank) {
    if (text.size() < 4 || text[0] != '(' || text[3] != ')' || text[1] < '1' || text[1] > '9' ||
        text[2] < '1' || text[2] > '9') {
        return false;
    }
    file = text[1] - '0';
    rank = text[2] - '0';
    text.remove_prefix(4);
    return true;
}

class Reader {
  public:
    explicit Reader(KifReading& result) : result_(result) { board_.reset(); }

    // False when the line ends the move list: an end word, the closing summary, a variation.
    bool readLine(string_view line);
    void finish();
    bool failed() const { return !result_.ok(); }
    void setLine(int number) { lineNumber_ = number; }

  private:
    bool fail(std::string reason) {
        result_.errorLine = lineNumber_;
        result_.error = std::move(reason);
        return false;
    }
    bool readHeader(string_view key, string_view value);
    bool readMoveLine(string_view line);
    bool playRecorded(string_view& text);

    KifReading& result_;
    Board board_;
    int lineNumber_ = 0;
    bool sawKif_ = false;  // a move table, a move or a game type: this is a record
};

bool Reader::readLine(string_view line) {
    line = trimmed(line);
    if (line.empty() || line.front() == '#' || line.front() == '*' || line.front() == '&') {
        return true;
    }
    if (isDigit(line.front())) {
        sawKif_ = true;
        return readMoveLine(line);
    }
    if (startsWith(line, "まで") || startsWith(line, "変化")) {
        sawKif_ = true;
        return false;
    }
    if (startsWith(line, "手数----")) {
        sawKif_ = true;
        return true;
    }
    if (startsWith(line, "手数＝") || line.front() == '|' || line.front() == '+' ||
        startsWith(line, kFileDigits[8]) || line == "先手番" || line == "後手番" ||
        line == "上手番" || line == "下手番") {
        return fail("set-up positions are not part of this game");
    }
    const std::size_t colon = line.find(kHeaderColon);
    if (colon == string_view::npos || colon == 0) {
        return fail(sawKif_ ? "not a line of a KIF record" : "not a KIF record");
    }
    return readHeader(trimmed(line.substr(0, colon)),
                      trimmed(line.substr(colon + kHeaderColon.size())));
}

bool Reader::readHeader(string_view key, string_view value) {
    if (key == "手合割") {
        sawKif_ = true;
        return value == "平手" ? true : fail("only the even game (平手) can be played here");
    }
    // Pieces in hand come with a set-up position; "none" is harmless and some writers add it.
    if (endsWith(key, "持駒") && !value.empty() && value != "なし") {
        return fail("set-up positions are not part of this game");
    }
    return true;
}

bool Reader::readMoveLine(string_view line) {
    long number = 0;
    while (!line.empty() && isDigit(line.front())) {
        number = number * 10 + (line.front() - '0');
        line.remove_prefix(1);
        if (number > kKifMaxMoves + 1) {
            return fail("move number out of order");
        }
    }
    if (number != static_cast<long>(result_.moves.size()) + 1) {
        return fail("move number out of order");
    }
    const std::size_t before = line.size();
    skipSpaces(line);
    if (line.size() == before) {
        return fail("not a move");
    }
    for (string_view word : kEndWords) {
        if (startsWith(line, word)) {
            return false;
        }
    }
    if (result_.moves.size() >= static_cast<std::size_t>(kKifMaxMoves)) {
        return fail("more than " + std::to_string(kKifMaxMoves) + " moves");
    }
    if (!playRecorded(line)) {
        return false;
    }
    // What may follow a move: its time column, and the mark that a variation branches here.
    skipSpaces(line);
    if (!line.empty() && line.front() == '(') {
        const std::size_t close = line.find(')');
        if (close == string_view::npos) {
            return fail("unexpected text after the move");
        }
        line.remove_prefix(close + 1);
        skipSpaces(line);
    }
    consume(line, "+");
    skipSpaces(line);
    return line.empty() ? true : fail("unexpected text after the move");
}

bool Reader::playRecorded(string_view& text) {
    int toFile = 0, toRank = 0;
    if (consume(text, kSame)) {
        if (result_.moves.empty()) {
            return fail("同 with no move before it");
        }
        skipSpaces(text);
        toFile = fileOf(result_.moves.back().toColumn);
        toRank = result_.moves.back().toRow + 1;
    } else {
        toFile = takeFile(text);
        toRank = toFile ? takeRank(text) : 0;
        if (toRank == 0) {
            return fail("not a move");
        }
    }
    const int named = takePiece(text);
    if (named == Empty) {
        return fail("unknown piece name");
    }
    const bool declinesPromotion = consume(text, "不成");
    const bool promotes = !declinesPromotion && consume(text, "成");
    if (startsWith(text, "打")) {
        return fail("drops are not part of this game");
    }
    int fromFile = 0, fromRank = 0;
    if (!takeOrigin(text, fromFile, fromRank)) {
        return fail("move without its origin square");
    }

    const int side = static_cast<int>(result_.moves.size() % 2);
    const int fromColumn = columnOf(fromFile), fromRow = fromRank - 1;
    const Cell origin = board_.cellAt(fromColumn, fromRow);
    if (origin.piece == Empty) {
        return fail("no piece on the origin square");
    }
    if (origin.owner != side) {
        return fail("the piece on the origin square belongs to the other side");
    }
    if (origin.piece != named) {
        return fail("the piece named is not the one on the origin square");
    }
    Move made;
    if (!playMove(board_, side, fromColumn, fromRow, columnOf(toFile), toRank - 1, &made)) {
        return fail("the piece cannot move there");
    }
    if (made.promoted && declinesPromotion) {
        return fail("不成, but promotion is forced there");
    }
    if (made.promoted && !promotes) {
        return fail("the piece promotes there, but the move has no 成");
    }
    if (!made.promoted && promotes) {
        return fail("成, but the piece does not promote there");
    }
    result_.moves.push_back(made);
    return true;
}

void Reader::finish() {
    if (!failed() && !sawKif_) {
        lineNumber_ = 1;
        fail("not a KIF record");
    }
}

}  // namespace

std::string kifMoveText(const Move& move, const Move* previous) {
    std::string text;
    if (previous && previous->toColumn == move.toColumn && previous->toRow == move.toRow) {
        text += kSame;
        text += kIdeographicSpace;
    } else {
        const int file = fileOf(move.toColumn);
        const int rank = move.toRow + 1;
        // Out-of-range squares cannot come from playMove; they are written visibly wrong
        // rather than read out of bounds.
        text += file >= 1 && file <= kBoardSize ? kFileDigits[file - 1] : "？";
        text += rank >= 1 && rank <= kBoardSize ? kRankNumerals[rank - 1] : "？";
    }
    text += move.piece > Empty && move.piece <= King ? kPieceNames[move.piece] : "？";
    if (move.promoted) {
        text += "成";
    }
    char origin[32];
    std::snprintf(origin, sizeof origin, "(%d%d)", fileOf(move.fromColumn), move.fromRow + 1);
    text += origin;
    return text;
}

std::string writeKif(const std::vector<Move>& moves, const std::string& startTime) {
    std::string text;
    text.reserve(200 + moves.size() * 48);
    // Readers that look for an encoding line take this one; the others skip it as a comment.
    text += "#KIF version=2.0 encoding=UTF-8\n";
    text += "開始日時：" + startTime + "\n";
    text += "手合割：平手\n";
    text += "先手：Blue\n";
    text += "後手：Red\n";
    text += "手数----指手---------消費時間--\n";
    char number[32];
    for (std::size_t index = 0; index < moves.size(); ++index) {
        std::snprintf(number, sizeof number, "%4zu ", index + 1);
        text += number;
        const std::string move = kifMoveText(moves[index], index > 0 ? &moves[index - 1] : nullptr);
        text += move;
        // The game keeps no clock, so every time is zero, written as the common writers do:
        // readers that expect the column, or line the moves up by it, get it where they look.
        text.append(std::max<int>(1, kMoveColumnWidth - displayWidth(move)), ' ');
        text += "( 0:00/00:00:00)\n";
    }
    return text;
}

KifReading readKif(const std::string& utf8Text) {
    KifReading result;
    if (utf8Text.size() > kKifMaxTextBytes) {
        result.error = "the record is too long";
        return result;
    }
    Reader reader(result);
    string_view text(utf8Text);
    consume(text, "\xEF\xBB\xBF");
    int lineNumber = 0;
    while (!text.empty()) {
        ++lineNumber;
        reader.setLine(lineNumber);
        const std::size_t end = text.find('\n');
        string_view line = text.substr(0, end);
        text.remove_prefix(end == string_view::npos ? text.size() : end + 1);
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        if (line.size() > kMaxLineBytes) {
            result.errorLine = lineNumber;
            result.error = "line too long";
            return result;
        }
        if (!reader.readLine(line)) {
            break;
        }
    }
    reader.finish();
    return result;
}

}  // namespace ixo
