#include "shogi/notation.h"

#include <array>
#include <cstdio>

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

constexpr string_view kIdeographicSpace = "　";
constexpr string_view kSame = "同";

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

constexpr std::array<string_view, 15> kDiagramNames = {
    "", "歩", "と", "角", "馬", "飛", "龍", "香", "杏", "桂", "圭", "銀", "全", "金", "玉",
};

constexpr int kHandOrder[] = {Rook, Bishop, Gold, Silver, Knight, Lance, Pawn};

constexpr string_view kKanjiDigits[] = {"", "一", "二", "三", "四", "五", "六", "七", "八", "九"};
constexpr string_view kTen = "十";

bool isPiece(int piece) {
    return piece > Empty && piece <= King;
}

}  // namespace

bool startsWith(string_view text, string_view prefix) {
    return text.substr(0, prefix.size()) == prefix;
}

bool endsWith(string_view text, string_view suffix) {
    return text.size() >= suffix.size() && text.substr(text.size() - suffix.size()) == suffix;
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
            text += kKanjiDigits[count / 10 % 10];
        }
        text += kTen;
    }
    text += kKanjiDigits[count % 10];
    return text;
}

int takePiece(string_view& text) {
    for (const PieceAlias& alias : kPieceAliases) {
        if (consume(text, alias.name)) {
            return alias.code;
        }
    }
    return Empty;
}

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

string_view kifPieceName(int piece) {
    return isPiece(piece) ? kPieceNames[piece] : "";
}

string_view diagramPieceName(int piece) {
    return isPiece(piece) ? kDiagramNames[piece] : "";
}

const char* englishPieceName(int piece) {
    return isPiece(piece) ? kEnglishNames[piece] : "piece";
}

const char* sideName(int side) {
    return side == 0 ? "Blue" : "Red";
}

std::string squareName(int column, int row) {
    if (column < 0 || column >= kBoardSize || row < 0 || row >= kBoardSize) {
        return "？？";
    }
    return std::string(kFileDigits[kBoardSize - 1 - column]) + std::string(kRankNumerals[row]);
}

string_view rankNumeral(int row) {
    return row >= 0 && row < kBoardSize ? kRankNumerals[row] : "？";
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
    return text.empty() ? std::string("なし") : text;
}

bool takeWrittenMove(string_view& text, WrittenMove& move, std::string& why) {
    const string_view written = text;
    move = WrittenMove{};
    if (consume(text, kSame)) {
        move.same = true;
        skipSpaces(text);
    } else {
        const int file = takeFile(text);
        const int rank = file ? takeRank(text) : 0;
        if (rank == 0) {
            move.text = written.substr(0, written.find(' '));
            why = "not a move";
            return false;
        }
        move.toColumn = columnOfFile(file);
        move.toRow = rank - 1;
    }
    move.piece = takePiece(text);
    if (move.piece == Empty) {
        move.text = written.substr(0, written.size() - text.size());
        why = "unknown piece name";
        return false;
    }
    move.declinesPromotion = consume(text, "不成");
    move.promotes = !move.declinesPromotion && consume(text, "成");
    move.drop = consume(text, "打");
    int file = 0, rank = 0;
    if (!move.drop) {
        if (!takeOrigin(text, file, rank)) {
            move.text = written.substr(0, written.size() - text.size());
            why = "move without its origin square";
            return false;
        }
        move.hasOrigin = true;
        move.fromColumn = columnOfFile(file);
        move.fromRow = rank - 1;
    }
    move.text = written.substr(0, written.size() - text.size());
    return true;
}

std::string kifMoveText(const Move& move, const Move* previous) {
    std::string text;
    if (previous && previous->toColumn == move.toColumn && previous->toRow == move.toRow) {
        text += kSame;
        text += kIdeographicSpace;
    } else {
        const int file = fileOfColumn(move.toColumn);
        const int rank = move.toRow + 1;
        // Out-of-range squares cannot come from the rules; they are written visibly wrong
        // rather than read out of bounds.
        text += file >= 1 && file <= kBoardSize ? kFileDigits[file - 1] : "？";
        text += rank >= 1 && rank <= kBoardSize ? kRankNumerals[rank - 1] : "？";
    }
    text += isPiece(move.piece) ? kPieceNames[move.piece] : "？";
    if (move.dropped) {
        text += "打";
        return text;
    }
    if (move.promoted) {
        text += "成";
    }
    char origin[32];
    std::snprintf(origin, sizeof origin, "(%d%d)", fileOfColumn(move.fromColumn), move.fromRow + 1);
    text += origin;
    return text;
}

}  // namespace ixo
