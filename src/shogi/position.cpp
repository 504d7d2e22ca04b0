#include "shogi/position.h"

#include <cstddef>
#include <vector>

#include "shogi/standard_movegen.h"

namespace ixo {

using namespace standard;

namespace {

constexpr const char* kStartSfen =
    "lnsgkgsnl/1r5b1/ppppppppp/9/9/9/PPPPPPPPP/1B5R1/LNSGKGSNL b - 1";

// The order shogi software writes a hand in, strongest first.
constexpr int kHandOrder[] = {Rook, Bishop, Gold, Silver, Knight, Lance, Pawn};

std::vector<std::string> wordsOf(const std::string& text) {
    std::vector<std::string> words;
    std::string word;
    for (const char c : text) {
        if (c == ' ' || c == '\t' || c == '\r' || c == '\n') {
            if (!word.empty()) {
                words.push_back(word);
                word.clear();
            }
        } else {
            word += c;
        }
    }
    if (!word.empty()) {
        words.push_back(word);
    }
    return words;
}

// What a player reads about a stray character: the character itself when it can be
// printed, its code otherwise, since control bytes would vanish on screen.
std::string describe(char c) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte >= 0x21 && byte < 0x7f) {
        return std::string("'") + c + "'";
    }
    static const char kHex[] = "0123456789abcdef";
    return std::string("byte 0x") + kHex[byte >> 4] + kHex[byte & 15];
}

bool parseBoard(const std::string& text, Board& board, std::string& error) {
    for (int square = 0; square < kSquareCount; ++square) {
        board.cells[square] = Cell{Empty, 0, square % kBoardSize, square / kBoardSize};
    }
    int row = 0;
    int column = 0;
    bool promoted = false;
    for (const char c : text) {
        if (c == '/') {
            if (promoted) {
                error = "a '+' stands before no piece";
                return false;
            }
            if (column != kBoardSize) {
                error = "rank " + std::to_string(row + 1) + " of the board has " +
                        std::to_string(column) + " squares, not 9";
                return false;
            }
            if (++row >= kBoardSize) {
                error = "the board has more than 9 ranks";
                return false;
            }
            column = 0;
            continue;
        }
        if (c >= '1' && c <= '9') {
            if (promoted) {
                error = "a '+' stands before no piece";
                return false;
            }
            column += c - '0';
            if (column > kBoardSize) {
                error = "rank " + std::to_string(row + 1) + " of the board has more than 9 squares";
                return false;
            }
            continue;
        }
        if (c == '+') {
            if (promoted) {
                error = "a piece is marked promoted twice";
                return false;
            }
            promoted = true;
            continue;
        }
        const bool red = c >= 'a' && c <= 'z';
        const int piece = codeOfLetter(red ? static_cast<char>(c - 'a' + 'A') : c);
        if (piece == Empty) {
            error = describe(c) + " is not a piece on the board";
            return false;
        }
        if (promoted && !canPromote(piece)) {
            error = std::string("a ") + c + " cannot be promoted";
            return false;
        }
        if (column >= kBoardSize) {
            error = "rank " + std::to_string(row + 1) + " of the board has more than 9 squares";
            return false;
        }
        Cell& cell = board.cells[row * kBoardSize + column];
        cell.piece = static_cast<std::int8_t>(promoted ? piece + 1 : piece);
        cell.owner = red ? 1 : 0;
        promoted = false;
        ++column;
    }
    if (promoted) {
        error = "a '+' stands before no piece";
        return false;
    }
    if (row != kBoardSize - 1 || column != kBoardSize) {
        error = row != kBoardSize - 1
                    ? "the board has " + std::to_string(row + 1) + " ranks, not 9"
                    : "rank 9 of the board has " + std::to_string(column) + " squares, not 9";
        return false;
    }
    return true;
}

bool parseHands(const std::string& text, std::array<Hand, 2>& hands, std::string& error) {
    hands = {};
    if (text == "-") {
        return true;
    }
    int count = 0;
    bool counted = false;
    for (const char c : text) {
        if (c >= '0' && c <= '9') {
            count = count * 10 + (c - '0');
            counted = true;
            // Larger than any set holds: refuse before the number can grow without bound.
            if (count > kPiecesInASet[Pawn]) {
                error = "a count in the hands is more than any set holds";
                return false;
            }
            continue;
        }
        const bool red = c >= 'a' && c <= 'z';
        const int piece = codeOfLetter(red ? static_cast<char>(c - 'a' + 'A') : c);
        if (piece == Empty || piece == King) {
            error = describe(c) + " is not a piece that can be held in hand";
            return false;
        }
        if (counted && count == 0) {
            error = "a count of 0 in the hands";
            return false;
        }
        const int total = hands[red ? 1 : 0][piece] + (counted ? count : 1);
        if (total > kPiecesInASet[piece]) {
            error = std::string("more ") + c + " in hand than a set holds";
            return false;
        }
        hands[red ? 1 : 0][piece] = static_cast<std::uint8_t>(total);
        count = 0;
        counted = false;
    }
    if (counted) {
        error = "a count in the hands names no piece";
        return false;
    }
    if (text.empty()) {
        error = "the hands are empty; '-' says no piece in hand";
        return false;
    }
    return true;
}

}  // namespace

Position Position::start() {
    Position position;
    position.board.reset();
    return position;
}

std::string toSfen(const Position& position, int moveNumber) {
    std::string text;
    for (int row = 0; row < kBoardSize; ++row) {
        int empty = 0;
        for (int column = 0; column < kBoardSize; ++column) {
            const Cell& cell = position.board.cells[row * kBoardSize + column];
            if (cell.piece <= Empty || cell.piece > King) {
                ++empty;
                continue;
            }
            if (empty > 0) {
                text += static_cast<char>('0' + empty);
                empty = 0;
            }
            const bool promoted = cell.piece != Gold && cell.piece != King && cell.piece % 2 == 0;
            if (promoted) {
                text += '+';
            }
            const char letter = kLetterOf[cell.piece];
            text += cell.owner == 1 ? static_cast<char>(letter - 'A' + 'a') : letter;
        }
        if (empty > 0) {
            text += static_cast<char>('0' + empty);
        }
        if (row + 1 < kBoardSize) {
            text += '/';
        }
    }
    text += position.sideToMove == 0 ? " b " : " w ";
    std::string hands;
    for (int side = 0; side < 2; ++side) {
        for (const int piece : kHandOrder) {
            const int count = position.hands[side][piece];
            if (count == 0) {
                continue;
            }
            if (count > 1) {
                hands += std::to_string(count);
            }
            hands += side == 1 ? static_cast<char>(kLetterOf[piece] - 'A' + 'a') : kLetterOf[piece];
        }
    }
    text += hands.empty() ? "-" : hands;
    text += ' ';
    text += std::to_string(moveNumber);
    return text;
}

bool parseSfen(const std::string& text, Position& position, std::string& error, int* moveNumber) {
    std::vector<std::string> words = wordsOf(text);
    // USI's "position sfen ..." and "position startpos" both reach here with their keyword.
    if (!words.empty() && words[0] == "sfen") {
        words.erase(words.begin());
    }
    if (words.size() == 1 && words[0] == "startpos") {
        words = wordsOf(kStartSfen);
    }
    if (words.size() < 3 || words.size() > 4) {
        error = words.empty() ? "the position is empty"
                              : "a position has 3 or 4 words (board, side, hands, move number), "
                                "not " +
                                    std::to_string(words.size());
        return false;
    }
    Position parsed;
    if (!parseBoard(words[0], parsed.board, error)) {
        return false;
    }
    if (words[1] == "b") {
        parsed.sideToMove = 0;
    } else if (words[1] == "w") {
        parsed.sideToMove = 1;
    } else {
        error = "the side to move is 'b' or 'w', not '" + words[1].substr(0, 8) + "'";
        return false;
    }
    if (!parseHands(words[2], parsed.hands, error)) {
        return false;
    }
    int number = 1;
    if (words.size() == 4) {
        number = 0;
        for (const char c : words[3]) {
            if (c < '0' || c > '9' || number > 99999999) {
                error = "the move number is not a number of moves";
                return false;
            }
            number = number * 10 + (c - '0');
        }
        if (number < 1) {
            error = "the move number starts at 1";
            return false;
        }
    }
    position = parsed;
    if (moveNumber) {
        *moveNumber = number;
    }
    error.clear();
    return true;
}

}  // namespace ixo
