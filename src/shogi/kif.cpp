#include "shogi/kif.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <initializer_list>
#include <string_view>
#include <utility>

#include "shogi/standard_rules.h"

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
        if (text.front() == ' ' || text.front() == '\t' || text.front() == '\r') {
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
        if (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r')) {
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

// The names a player reads in a refusal, indexed by PieceCode.
constexpr std::array<const char*, 15> kEnglishNames = {
    "",
    "pawn",
    "promoted pawn",
    "bishop",
    "horse",
    "rook",
    "dragon",
    "lance",
    "promoted lance",
    "knight",
    "promoted knight",
    "silver",
    "promoted silver",
    "gold",
    "king",
};

// The one-character names a board diagram uses, indexed by PieceCode.
constexpr std::array<string_view, 15> kDiagramNames = {
    "", "歩", "と", "角", "馬", "飛", "龍", "香", "杏", "桂", "圭", "銀", "全", "金", "玉",
};

// Hands are written strongest first, as the common writers do.
constexpr int kHandOrder[] = {Rook, Bishop, Gold, Silver, Knight, Lance, Pawn};

constexpr string_view kKanjiDigits[] = {"", "一", "二", "三", "四", "五", "六", "七", "八", "九"};
constexpr string_view kTen = "十";
constexpr string_view kNone = "なし";
constexpr string_view kEvenGame = "平手";
constexpr string_view kDiagramFiles = "  ９ ８ ７ ６ ５ ４ ３ ２ １";
constexpr string_view kDiagramBorder = "+---------------------------+";

struct Handicap {
    string_view name;
    // Red's pieces the giver leaves out, as screen squares (column, row).
    std::array<std::array<int, 2>, 10> removed;
    int count;
};

// 上手 (the giver) is Red at the top; 下手 keeps the whole set. The giver moves first.
constexpr Handicap kHandicaps[] = {
    {"香落ち", {{{8, 0}}}, 1},
    {"右香落ち", {{{0, 0}}}, 1},
    {"角落ち", {{{7, 1}}}, 1},
    {"飛車落ち", {{{1, 1}}}, 1},
    {"飛香落ち", {{{1, 1}, {8, 0}}}, 2},
    {"二枚落ち", {{{1, 1}, {7, 1}}}, 2},
    {"四枚落ち", {{{1, 1}, {7, 1}, {0, 0}, {8, 0}}}, 4},
    {"六枚落ち", {{{1, 1}, {7, 1}, {0, 0}, {8, 0}, {1, 0}, {7, 0}}}, 6},
    {"八枚落ち", {{{1, 1}, {7, 1}, {0, 0}, {8, 0}, {1, 0}, {7, 0}, {2, 0}, {6, 0}}}, 8},
    {"十枚落ち",
     {{{1, 1}, {7, 1}, {0, 0}, {8, 0}, {1, 0}, {7, 0}, {2, 0}, {6, 0}, {3, 0}, {5, 0}}},
     10},
};

bool isHandKey(string_view key) {
    return key == "先手の持駒" || key == "後手の持駒" || key == "下手の持駒" || key == "上手の持駒";
}

// Whose hand a 持駒 line is: 先手 and 下手 are Blue, 後手 and 上手 Red.
int sideOfKey(string_view key) {
    return startsWith(key, "後手") || startsWith(key, "上手") ? 1 : 0;
}

const char* sideName(int side) {
    return side == 0 ? "Blue" : "Red";
}

bool validUtf8(string_view text) {
    for (std::size_t at = 0; at < text.size();) {
        const auto lead = static_cast<unsigned char>(text[at]);
        const std::size_t length = lead < 0x80         ? 1
                                   : (lead >> 5) == 6  ? 2
                                   : (lead >> 4) == 14 ? 3
                                   : (lead >> 3) == 30 ? 4
                                                       : 0;
        if (length == 0 || at + length > text.size()) {
            return false;
        }
        for (std::size_t next = 1; next < length; ++next) {
            if ((static_cast<unsigned char>(text[at + next]) >> 6) != 2) {
                return false;
            }
        }
        at += length;
    }
    return true;
}

// Text of the record quoted back in a refusal, so the player can find it; anything a
// terminal could take for a command, or too long to help, is left out.
std::string shown(string_view text) {
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

std::string squareName(int column, int row) {
    return std::string(kFileDigits[kBoardSize - 1 - column]) + std::string(kRankNumerals[row]);
}

// "歩十七": a kanji count from 1 to 99, 0 when there is none to read.
int takeKanjiCount(string_view& text) {
    int tens = 0;
    if (consume(text, kTen)) {
        tens = 1;
    } else {
        for (int digit = 2; digit <= 9; ++digit) {
            if (startsWith(text, kKanjiDigits[digit]) &&
                startsWith(text.substr(kKanjiDigits[digit].size()), kTen)) {
                text.remove_prefix(kKanjiDigits[digit].size() + kTen.size());
                tens = digit;
                break;
            }
        }
    }
    for (int digit = 1; digit <= 9; ++digit) {
        if (consume(text, kKanjiDigits[digit])) {
            return tens * 10 + digit;
        }
    }
    return tens * 10;
}

std::string kanjiCount(int count) {
    std::string text;
    if (count >= 10) {
        if (count >= 20) {
            text += kKanjiDigits[count / 10];
        }
        text += kTen;
    }
    text += kKanjiDigits[count % 10];
    return text;
}

std::string handText(const Hand& hand) {
    std::string text;
    for (const int piece : kHandOrder) {
        if (hand[piece] == 0) {
            continue;
        }
        if (!text.empty()) {
            text += kIdeographicSpace;
        }
        text += kDiagramNames[piece];
        if (hand[piece] > 1) {
            text += kanjiCount(hand[piece]);
        }
    }
    return text.empty() ? std::string(kNone) : text;
}

// Why a record's move cannot be played, said as a player would: "a bishop cannot move like
// that".
std::string refusalReason(Refusal why, int piece, int side) {
    const std::string name = piece > Empty && piece <= King ? kEnglishNames[piece] : "piece";
    switch (why) {
        case Refusal::NotYourPiece:
            return std::string(sideName(side)) + " has no " + name + " in hand";
        case Refusal::CannotMoveThere:
            return "a " + name + " cannot move like that";
        case Refusal::LeavesKingInCheck:
            return piece == King
                       ? "the king would stand in check there"
                       : std::string("it would leave ") + sideName(side) + "'s king in check";
        case Refusal::TwoPawns:
            return std::string(sideName(side)) +
                   " already has an unpromoted pawn on that file (二歩)";
        case Refusal::PawnDropMate:
            return "a pawn may not be dropped to give mate (打ち歩詰め)";
        case Refusal::DeadPiece:
            return "a " + name + " there could never move again";
        case Refusal::BadPromotion:
            return "a " + name + " cannot promote on that move";
        case Refusal::GameOver:
            return "the game was already over";
        case Refusal::None:
            break;
    }
    return "the rules do not allow it";
}

// No move takes this long; a time column beyond it is not a time, and counting it would only
// carry the totals towards overflow.
constexpr std::int64_t kMostSeconds = 10'000'000'000LL;

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

// "M:SS" or, with `hours`, "H:MM:SS", whatever the padding: seconds under a minute, and
// minutes under an hour where hours are given. -1 when it is anything else.
std::int64_t timeSeconds(string_view text, bool hours) {
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

// The rules a record was played under, as far as its text tells before reading a move.
enum class Marked { Simple, Standard, OldSimple };

Marked rulesMarkedIn(string_view text) {
    bool blue = false, red = false, foreign = false;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        string_view line = text.substr(0, end);
        text.remove_prefix(end == string_view::npos ? text.size() : end + 1);
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        line = trimmed(line);
        if (line == kSimpleRulesMarker) {
            return Marked::Simple;
        }
        if (line == kStandardRulesMarker) {
            return Marked::Standard;
        }
        blue = blue || line == "先手：Blue";
        red = red || line == "後手：Red";
        // What the game never wrote before it knew the standard rules: a drop, a set-up
        // position, a handicap.
        foreign = foreign || line.find("打") != string_view::npos ||
                  (!line.empty() && line.front() == '|') ||
                  (startsWith(line, "手合割：") && trimmed(line.substr(12)) != kEvenGame);
    }
    return blue && red && !foreign ? Marked::OldSimple : Marked::Standard;
}

class Reader {
  public:
    Reader(KifReading& result, RuleSet rules);

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
    bool failMove(string_view text, const std::string& reason) {
        return fail("move " + std::to_string(movesRead_ + 1) + " " + shown(text) + ": " + reason);
    }
    bool standard() const { return result_.rules == RuleSet::Standard; }
    bool readHeader(string_view key, string_view value);
    bool readHand(int side, string_view value);
    bool readDiagramRow(string_view line);
    bool startGame();
    bool readMoveLine(string_view line);
    bool takeDestination(string_view& text, int& column, int& row);
    bool playSimple(string_view& text);
    bool playStandard(string_view& text);
    void readTime(string_view column);
    void applyEnd();

    KifReading& result_;
    Board board_;  // the simple rules' position
    int lineNumber_ = 0;
    bool sawKif_ = false;  // a move table, a move, a game type or a diagram: this is a record
    int movesRead_ = 0;
    int lastColumn_ = -1, lastRow_ = -1;     // where the last move landed, for 同
    std::array<std::int64_t, 2> totalMs_{};  // each side's time so far, as the record has it

    // The start of a standard game, assembled from the header until the first move.
    bool started_ = false;
    Position setup_;
    int diagramRows_ = 0;
    bool handsGiven_ = false;
    int sideGiven_ = -1;
    std::string handicap_;
    string_view endWord_;
};

Reader::Reader(KifReading& result, RuleSet rules) : result_(result) {
    result_.rules = rules;
    board_.reset();
    for (int square = 0; square < kSquareCount; ++square) {
        setup_.board.cells[square] = Cell{Empty, 0, square % kBoardSize, square / kBoardSize};
    }
}

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
        return !standard() || startGame();
    }
    const bool sideLine =
        line == "先手番" || line == "後手番" || line == "上手番" || line == "下手番";
    const bool diagramLine = line.front() == '|' || line.front() == '+' ||
                             startsWith(line, kFileDigits[8]) || startsWith(line, "手数＝");
    if (sideLine || diagramLine) {
        if (!standard()) {
            return fail("set-up positions are not part of this game");
        }
        if (started_) {
            return fail("a board diagram after the moves have begun");
        }
        sawKif_ = true;
        if (sideLine) {
            sideGiven_ = startsWith(line, "後手") || startsWith(line, "上手") ? 1 : 0;
        }
        return line.front() == '|' ? readDiagramRow(line) : true;
    }
    const std::size_t colon = line.find(kHeaderColon);
    if (colon == string_view::npos || colon == 0) {
        // U+FFFD is what a program leaves when it decoded Shift_JIS as UTF-8 and saved it:
        // the characters are gone, and the player should know it is not this reader's fault.
        if (line.find("\xEF\xBF\xBD") != string_view::npos) {
            return fail(
                "the record's characters were lost (replaced by U+FFFD) when the file "
                "was converted once; it cannot be read");
        }
        return fail(sawKif_ ? "not a line of a KIF record" : "not a KIF record");
    }
    return readHeader(trimmed(line.substr(0, colon)),
                      trimmed(line.substr(colon + kHeaderColon.size())));
}

bool Reader::readHeader(string_view key, string_view value) {
    if (key == "手合割") {
        sawKif_ = true;
        if (!standard()) {
            return value == kEvenGame ? true : fail("only the even game (平手) can be played here");
        }
        handicap_ = std::string(value);
    } else if (isHandKey(key)) {
        if (value.empty() || value == kNone) {
            return true;
        }
        // Pieces in hand come with a set-up position; "none" is harmless and some writers
        // add it to every record.
        if (!standard()) {
            return fail("set-up positions are not part of this game");
        }
        if (started_) {
            return fail("pieces in hand named after the moves have begun");
        }
        sawKif_ = true;
        return readHand(sideOfKey(key), value);
    } else if (key == "手番") {
        // Whose turn the set-up position is; it says nothing once the moves have begun.
        if (standard() && !started_) {
            sideGiven_ = startsWith(value, "後手") || startsWith(value, "上手") ? 1 : 0;
        }
        return true;
    }
    if (!value.empty()) {
        result_.headers.push_back({std::string(key), std::string(value)});
    }
    return true;
}

bool Reader::readHand(int side, string_view value) {
    handsGiven_ = true;
    while (!value.empty()) {
        skipSpaces(value);
        if (value.empty()) {
            break;
        }
        const int piece = takePiece(value);
        if (piece == Empty || piece == King || (piece != Gold && piece % 2 == 0)) {
            return fail("the pieces in hand are not a list of pieces");
        }
        const int count = takeKanjiCount(value);
        const int total = setup_.hands[side][piece] + (count == 0 ? 1 : count);
        // More than a set holds is refused when the position is checked; this only keeps
        // the count in its byte.
        if (total > 40) {
            return fail("more pieces in hand than a set holds");
        }
        setup_.hands[side][piece] = static_cast<std::uint8_t>(total);
    }
    return true;
}

// "|v香v桂 ・ ・ 玉 ...|一": nine squares of two columns each, 'v' before a piece of 後手.
bool Reader::readDiagramRow(string_view line) {
    if (diagramRows_ >= kBoardSize) {
        return fail("the board diagram has more than nine rows");
    }
    line.remove_prefix(1);
    const int row = diagramRows_;
    for (int column = 0; column < kBoardSize; ++column) {
        int owner = 0;
        if (consume(line, "v")) {
            owner = 1;
        } else if (!consume(line, " ") && !consume(line, "^")) {
            return fail("a row of the board diagram cannot be read");
        }
        int piece = Empty;
        if (!consume(line, "・")) {
            piece = takePiece(line);
            if (piece == Empty) {
                return fail("a row of the board diagram cannot be read");
            }
        }
        setup_.board.cells[row * kBoardSize + column] =
            Cell{static_cast<std::int8_t>(piece), static_cast<std::int8_t>(piece ? owner : 0),
                 column, row};
    }
    if (!consume(line, "|")) {
        return fail("a row of the board diagram cannot be read");
    }
    ++diagramRows_;
    return true;
}

bool Reader::startGame() {
    if (started_) {
        return true;
    }
    started_ = true;
    Position start = Position::start();
    if (diagramRows_ > 0) {
        if (diagramRows_ != kBoardSize) {
            return fail("the board diagram does not have nine rows");
        }
        start = setup_;
        // Without a word on whose turn it is, a handicap's giver (Red) moves first.
        Position handicap;
        const bool givesPieces = handicap_ != kEvenGame && handicapPosition(handicap_, handicap);
        start.sideToMove = sideGiven_ >= 0 ? sideGiven_ : givesPieces ? 1 : 0;
        std::string why;
        if (!validatePosition(start, why)) {
            return fail("the position set up cannot be played: " + why);
        }
    } else if (handsGiven_) {
        return fail("pieces in hand, but no board diagram to go with them");
    } else if (!handicap_.empty() && !handicapPosition(handicap_, start)) {
        return fail("the handicap " + shown(handicap_) + " is not one this game can set up");
    }
    result_.standard = StandardGame(start);
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
    if (number != static_cast<long>(movesRead_) + 1) {
        return fail("move number out of order");
    }
    const std::size_t before = line.size();
    skipSpaces(line);
    if (line.size() == before) {
        return fail("not a move");
    }
    if (standard() && !startGame()) {
        return false;
    }
    for (string_view word : kEndWords) {
        if (startsWith(line, word)) {
            endWord_ = word;
            return false;
        }
    }
    if (movesRead_ >= kKifMaxMoves) {
        return fail("more than " + std::to_string(kKifMaxMoves) + " moves");
    }
    if (!(standard() ? playStandard(line) : playSimple(line))) {
        return false;
    }
    ++movesRead_;
    // What may follow a move: its time columns (some writers give two, and only the first
    // is the move's), and the mark that a variation branches here.
    bool timed = false;
    for (;;) {
        skipSpaces(line);
        if (line.empty() || line.front() != '(') {
            break;
        }
        const std::size_t close = line.find(')');
        if (close == string_view::npos) {
            return fail("unexpected text after the move");
        }
        if (!timed) {
            readTime(line.substr(1, close - 1));
            timed = true;
        }
        line.remove_prefix(close + 1);
    }
    if (!timed) {
        readTime(string_view());
    }
    consume(line, "+");
    skipSpaces(line);
    return line.empty() ? true : fail("unexpected text after the move");
}

bool Reader::takeDestination(string_view& text, int& column, int& row) {
    if (consume(text, kSame)) {
        if (lastColumn_ < 0) {
            return fail("move " + std::to_string(movesRead_ + 1) + ": 同 with no move before it");
        }
        skipSpaces(text);
        column = lastColumn_;
        row = lastRow_;
        return true;
    }
    const string_view written = text;
    const int file = takeFile(text);
    const int rank = file ? takeRank(text) : 0;
    if (rank == 0) {
        return failMove(written.substr(0, written.find(' ')), "not a move");
    }
    column = columnOf(file);
    row = rank - 1;
    return true;
}

bool Reader::playSimple(string_view& text) {
    const string_view written = text;
    int toColumn = 0, toRow = 0;
    if (!takeDestination(text, toColumn, toRow)) {
        return false;
    }
    const int named = takePiece(text);
    if (named == Empty) {
        return failMove(written.substr(0, written.size() - text.size()), "unknown piece name");
    }
    const bool declinesPromotion = consume(text, "不成");
    const bool promotes = !declinesPromotion && consume(text, "成");
    if (startsWith(text, "打")) {
        return failMove(written.substr(0, written.size() - text.size() + 3),
                        "drops are not part of this game");
    }
    int fromFile = 0, fromRank = 0;
    if (!takeOrigin(text, fromFile, fromRank)) {
        return failMove(written.substr(0, written.size() - text.size()),
                        "move without its origin square");
    }
    const string_view move = written.substr(0, written.size() - text.size());

    const int side = movesRead_ % 2;
    const int fromColumn = columnOf(fromFile), fromRow = fromRank - 1;
    const Cell origin = board_.cellAt(fromColumn, fromRow);
    if (origin.piece == Empty) {
        return failMove(move, "no piece on the origin square");
    }
    if (origin.owner != side) {
        return failMove(move, "the piece on the origin square belongs to the other side");
    }
    if (origin.piece != named) {
        return failMove(move, "the piece named is not the one on the origin square");
    }
    Move made;
    if (!playMove(board_, side, fromColumn, fromRow, toColumn, toRow, &made)) {
        return failMove(move, "the piece cannot move there");
    }
    if (made.promoted && declinesPromotion) {
        return failMove(move, "不成, but promotion is forced there");
    }
    if (made.promoted && !promotes) {
        return failMove(move, "the piece promotes there, but the move has no 成");
    }
    if (!made.promoted && promotes) {
        return failMove(move, "成, but the piece does not promote there");
    }
    result_.moves.push_back(made);
    lastColumn_ = made.toColumn;
    lastRow_ = made.toRow;
    return true;
}

bool Reader::playStandard(string_view& text) {
    const string_view written = text;
    MoveRequest request;
    if (!takeDestination(text, request.toColumn, request.toRow)) {
        return false;
    }
    const int named = takePiece(text);
    if (named == Empty) {
        return failMove(written.substr(0, written.size() - text.size()), "unknown piece name");
    }
    const bool declinesPromotion = consume(text, "不成");
    request.promote = !declinesPromotion && consume(text, "成");
    const bool drop = consume(text, "打");
    int fromFile = 0, fromRank = 0;
    if (!drop && !takeOrigin(text, fromFile, fromRank)) {
        return failMove(written.substr(0, written.size() - text.size()),
                        "move without its origin square");
    }
    const string_view move = written.substr(0, written.size() - text.size());

    const Position& position = result_.standard.position();
    const int side = position.sideToMove;
    const std::string name = kEnglishNames[named];
    if (drop) {
        if (named == King || (named != Gold && named % 2 == 0)) {
            return failMove(move, "a " + name + " is never dropped");
        }
        if (declinesPromotion || request.promote) {
            return failMove(move, "a dropped piece never promotes");
        }
        request.dropPiece = named;
    } else {
        request.fromColumn = columnOf(fromFile);
        request.fromRow = fromRank - 1;
        const Cell origin = position.board.cellAt(request.fromColumn, request.fromRow);
        const std::string square = squareName(request.fromColumn, request.fromRow);
        if (origin.piece == Empty) {
            return failMove(move, "there is no piece on " + square);
        }
        if (origin.owner != side) {
            return failMove(move, "the piece on " + square + " is " + sideName(origin.owner) +
                                      "'s, and it is " + sideName(side) + "'s move");
        }
        if (origin.piece != named) {
            return failMove(move, "the piece on " + square + " is a " +
                                      kEnglishNames[origin.piece] + ", not a " + name);
        }
    }
    Move made;
    Refusal why = Refusal::None;
    if (!result_.standard.play(request, &made, &why)) {
        return failMove(move, refusalReason(why, named, side));
    }
    result_.moves.push_back(made);
    lastColumn_ = made.toColumn;
    lastRow_ = made.toRow;
    return true;
}

// "( 0:05/00:00:05)" inside its parentheses, for the move just read. Programs pad it every
// which way and some leave it out, and a column nobody can read says nothing about the
// moves, so what cannot be read costs the move nothing rather than refusing the record.
void Reader::readTime(string_view column) {
    const std::size_t slash = column.find('/');
    const std::int64_t used = timeSeconds(column.substr(0, slash), false);
    const std::int64_t total =
        slash == string_view::npos ? -1 : timeSeconds(column.substr(slash + 1), true);
    std::int64_t& sideTotal = totalMs_[result_.moves.back().owner != 0 ? 1 : 0];
    MoveTime time;
    time.usedMs = used > 0 ? used * 1000 : 0;
    time.totalMs = total >= 0 ? total * 1000 : sideTotal + time.usedMs;
    sideTotal = time.totalMs;
    result_.times.push_back(time);
}

// The end word the record closes with, for the endings the rules cannot see for themselves;
// mate and repetition the replay has judged already.
void Reader::applyEnd() {
    StandardGame& game = result_.standard;
    if (game.outcome().over()) {
        return;
    }
    const int side = game.position().sideToMove;
    if (endWord_ == "投了" || endWord_ == "詰み") {
        game.resign();
    } else if (endWord_ == "反則負け") {
        game.loseByFoul(side);
    } else if (endWord_ == "反則勝ち") {
        game.loseByFoul(1 - side);
    } else if (endWord_ == "切れ負け" || endWord_ == "時間切れ") {
        game.loseOnTime(side);
    } else if (endWord_ == "入玉勝ち") {
        game.declareImpasse();
    }
    // 中断 leaves the game to be played on; a draw the rules did not reach (持将棋, a
    // repetition cut short) has no ending the game could show, so it is played on too.
}

void Reader::finish() {
    if (failed()) {
        return;
    }
    if (!sawKif_) {
        lineNumber_ = 1;
        fail("not a KIF record");
        return;
    }
    if (standard() && startGame()) {
        applyEnd();
    }
}

KifReading readWith(const std::string& utf8Text, RuleSet rules) {
    KifReading result;
    Reader reader(result, rules);
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

// A move's whole seconds; a negative time (a clock set back) is none, and one past any game's
// length is cut to it, so the totals cannot overflow.
std::int64_t wholeSeconds(std::int64_t ms) {
    return ms > 0 ? std::min(ms / 1000, kMostSeconds) : 0;
}

// Laid out as the common writers do, so that readers which line the moves up by the column
// find it where they look: "   1 ７六歩(77)   ( 0:05/00:00:05)".
void appendMoveLine(std::string& text, std::size_t number, const std::string& move,
                    std::int64_t seconds, std::int64_t totalSeconds) {
    char prefix[32];
    std::snprintf(prefix, sizeof prefix, "%4zu ", number);
    text += prefix;
    text += move;
    text.append(std::max<int>(1, kMoveColumnWidth - displayWidth(move)), ' ');
    char column[96];
    std::snprintf(column, sizeof column, "(%2lld:%02lld/%02lld:%02lld:%02lld)\n",
                  static_cast<long long>(seconds / 60), static_cast<long long>(seconds % 60),
                  static_cast<long long>(totalSeconds / 3600),
                  static_cast<long long>(totalSeconds / 60 % 60),
                  static_cast<long long>(totalSeconds % 60));
    text += column;
}

void appendMoves(std::string& text, const std::vector<Move>& moves,
                 const std::vector<MoveTime>& times) {
    std::array<std::int64_t, 2> totals{};
    for (std::size_t index = 0; index < moves.size(); ++index) {
        const std::int64_t seconds = index < times.size() ? wholeSeconds(times[index].usedMs) : 0;
        std::int64_t& total = totals[moves[index].owner != 0 ? 1 : 0];
        total += seconds;
        appendMoveLine(text, index + 1,
                       kifMoveText(moves[index], index > 0 ? &moves[index - 1] : nullptr), seconds,
                       total);
    }
}

// A name as a header line can hold it: an engine names itself, and a line break or a control
// character in its name would end the line or garble a terminal that shows the record.
std::string headerValue(const std::string& name) {
    std::string value;
    for (const char c : name) {
        const auto byte = static_cast<unsigned char>(c);
        value += byte < 0x20 || byte == 0x7F ? ' ' : c;
    }
    return value;
}

// `otherwise` is a kept line's own value, written byte for byte as it was read.
std::string playerLine(const std::string& key, const std::string& name,
                       const std::string& otherwise) {
    return key + "：" + (name.empty() ? otherwise : headerValue(name)) + "\n";
}

std::string handicapNameOf(const Position& start) {
    Position candidate;
    if (handicapPosition(std::string(kEvenGame), candidate) && candidate == start) {
        return std::string(kEvenGame);
    }
    for (const Handicap& handicap : kHandicaps) {
        if (handicapPosition(std::string(handicap.name), candidate) && candidate == start) {
            return std::string(handicap.name);
        }
    }
    return "";
}

std::string diagramText(const Position& position) {
    std::string text = "後手の持駒：" + handText(position.hands[1]) + "\n";
    text += kDiagramFiles;
    text += "\n";
    text += kDiagramBorder;
    text += "\n";
    for (int row = 0; row < kBoardSize; ++row) {
        text += "|";
        for (int column = 0; column < kBoardSize; ++column) {
            const Cell cell = position.board.cellAt(column, row);
            if (cell.piece > Empty && cell.piece <= King) {
                text += cell.owner == 1 ? "v" : " ";
                text += kDiagramNames[cell.piece];
            } else {
                text += " ・";
            }
        }
        text += "|";
        text += kRankNumerals[row];
        text += "\n";
    }
    text += kDiagramBorder;
    text += "\n";
    text += "先手の持駒：" + handText(position.hands[0]) + "\n";
    if (position.sideToMove == 1) {
        text += "後手番\n";
    }
    return text;
}

// The end line and the closing line: "  78 投了" and "まで77手で先手の勝ち".
std::string endingText(const StandardGame& game, std::size_t moves, bool handicap) {
    const Outcome& outcome = game.outcome();
    const int side = game.position().sideToMove;
    const char* word = "投了";
    switch (outcome.how) {
        case GameEnd::Checkmate:
            word = "詰み";
            break;
        case GameEnd::Resignation:
            word = "投了";
            break;
        case GameEnd::Repetition:
            word = "千日手";
            break;
        case GameEnd::Impasse:
            word = "入玉勝ち";
            break;
        case GameEnd::TimeUp:
            word = "切れ負け";
            break;
        case GameEnd::PerpetualCheck:
        case GameEnd::FailedImpasse:
        case GameEnd::IllegalMove:
            // 反則勝ち: the side to move wins by the other's foul; 反則負け: it loses by its own.
            word = outcome.winner == side ? "反則勝ち" : "反則負け";
            break;
        case GameEnd::None:
            return "";
    }
    char line[64];
    std::snprintf(line, sizeof line, "%4zu ", moves + 1);
    std::string text = line + std::string(word) + "\n";
    text += "まで" + std::to_string(moves) + "手で";
    if (outcome.winner < 0) {
        text += "千日手\n";
        return text;
    }
    if (outcome.how == GameEnd::TimeUp) {
        text += "時間切れにより";
    }
    const char* const names[2][2] = {{"先手", "後手"}, {"下手", "上手"}};
    text += names[handicap ? 1 : 0][outcome.winner == 0 ? 0 : 1];
    text += "の勝ち\n";
    return text;
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
        // Out-of-range squares cannot come from the rules; they are written visibly wrong
        // rather than read out of bounds.
        text += file >= 1 && file <= kBoardSize ? kFileDigits[file - 1] : "？";
        text += rank >= 1 && rank <= kBoardSize ? kRankNumerals[rank - 1] : "？";
    }
    text += move.piece > Empty && move.piece <= King ? kPieceNames[move.piece] : "？";
    if (move.dropped) {
        text += "打";
        return text;
    }
    if (move.promoted) {
        text += "成";
    }
    char origin[32];
    std::snprintf(origin, sizeof origin, "(%d%d)", fileOf(move.fromColumn), move.fromRow + 1);
    text += origin;
    return text;
}

std::string writeKif(const std::vector<Move>& moves, const std::string& startTime,
                     const std::vector<MoveTime>& times, const KifPlayers& players) {
    std::string text;
    text.reserve(200 + moves.size() * 48);
    // Readers that look for an encoding line take this one; the others skip it as a comment.
    text += "#KIF version=2.0 encoding=UTF-8\n";
    text += kSimpleRulesMarker;
    text += "\n";
    text += "開始日時：" + startTime + "\n";
    text += "手合割：平手\n";
    text += playerLine("先手", players.blue, "Blue");
    text += playerLine("後手", players.red, "Red");
    text += "手数----指手---------消費時間--\n";
    appendMoves(text, moves, times);
    return text;
}

std::string writeStandardKif(const StandardGame& game, const std::string& startTime,
                             const std::vector<KifHeader>& kept, const std::vector<MoveTime>& times,
                             const KifPlayers& players) {
    const auto keeps = [&kept](std::initializer_list<string_view> keys) {
        return std::any_of(kept.begin(), kept.end(), [&keys](const KifHeader& header) {
            return std::find(keys.begin(), keys.end(), header.key) != keys.end();
        });
    };
    const Position& start = game.startPosition();
    const std::string handicap = handicapNameOf(start);
    const std::vector<Move> moves = game.played();

    std::string text;
    text.reserve(400 + moves.size() * 48);
    text += "#KIF version=2.0 encoding=UTF-8\n";
    text += kStandardRulesMarker;
    text += "\n";
    if (!keeps({"開始日時"})) {
        text += "開始日時：" + startTime + "\n";
    }
    bool handicapWritten = false;
    for (const KifHeader& header : kept) {
        // The start is written from the game itself, so a diagram or a handicap line of the
        // record it came from never contradicts it.
        if (header.key == "手合割") {
            if (!handicap.empty() && !handicapWritten) {
                text += "手合割：" + handicap + "\n";
                handicapWritten = true;
            }
        } else if (header.key == "先手" || header.key == "下手") {
            text += playerLine(header.key, players.blue, header.value);
        } else if (header.key == "後手" || header.key == "上手") {
            text += playerLine(header.key, players.red, header.value);
        } else if (!isHandKey(header.key) && header.key != "手番") {
            text += header.key + "：" + header.value + "\n";
        }
    }
    if (!handicap.empty() && !handicapWritten) {
        text += "手合割：" + handicap + "\n";
    }
    if (!keeps({"先手", "下手"})) {
        text += playerLine("先手", players.blue, "Blue");
    }
    if (!keeps({"後手", "上手"})) {
        text += playerLine("後手", players.red, "Red");
    }
    if (handicap.empty()) {
        text += diagramText(start);
    }
    text += "手数----指手---------消費時間--\n";
    appendMoves(text, moves, times);
    text += endingText(game, moves.size(), !handicap.empty() && handicap != kEvenGame);
    return text;
}

bool handicapPosition(const std::string& name, Position& position) {
    if (name == kEvenGame) {
        position = Position::start();
        return true;
    }
    for (const Handicap& handicap : kHandicaps) {
        if (name != handicap.name) {
            continue;
        }
        position = Position::start();
        for (int index = 0; index < handicap.count; ++index) {
            const auto [column, row] = handicap.removed[index];
            position.board.cells[row * kBoardSize + column] = Cell{Empty, 0, column, row};
        }
        position.sideToMove = 1;
        return true;
    }
    return false;
}

KifReading readKif(const std::string& utf8Text) {
    if (utf8Text.size() > kKifMaxTextBytes) {
        KifReading result;
        result.error = "the record is too long";
        return result;
    }
    const Marked marked = rulesMarkedIn(utf8Text);
    if (marked != Marked::OldSimple) {
        return readWith(utf8Text, marked == Marked::Simple ? RuleSet::Simple : RuleSet::Standard);
    }
    // A record that looks like one the game wrote before it knew the standard rules is most
    // likely that; if it does not read so, it may be a standard game between a Blue and a Red.
    KifReading simple = readWith(utf8Text, RuleSet::Simple);
    if (simple.ok()) {
        return simple;
    }
    KifReading standard = readWith(utf8Text, RuleSet::Standard);
    return standard.ok() ? standard : simple;
}

}  // namespace ixo
