#include "shogi/csa_notation.h"

#include <cstddef>

#include "shogi/standard_movegen.h"

namespace ixo {

using namespace standard;

namespace {

// Indexed by PieceCode: the codes keep the picture numbers, so the table follows them.
constexpr const char* kCsaNames[King + 1] = {"",   "FU", "TO", "KA", "UM", "HI", "RY", "KY",
                                             "NY", "KE", "NK", "GI", "NG", "KI", "OU"};

// The order the CSA writers list a hand in, strongest first.
constexpr int kHandOrder[] = {Rook, Bishop, Gold, Silver, Knight, Lance, Pawn};

bool isDigit(char c, char lowest) {
    return c >= lowest && c <= '9';
}

// "77" as a screen square; "00" is no square (a hand).
bool readSquare(const std::string& text, std::size_t at, int& column, int& row) {
    if (at + 2 > text.size() || !isDigit(text[at], '1') || !isDigit(text[at + 1], '1')) {
        return false;
    }
    column = kBoardSize - (text[at] - '0');
    row = text[at + 1] - '1';
    return true;
}

void appendSquare(std::string& text, int column, int row) {
    text += static_cast<char>('0' + (kBoardSize - column));
    text += static_cast<char>('1' + row);
}

char signOf(int side) {
    return side == 0 ? '+' : '-';
}

Cell emptyCell(int square) {
    return Cell{Empty, 0, square % kBoardSize, square / kBoardSize};
}

// Shown in an error: what the text held, with anything unprintable as '?'.
std::string shown(const std::string& text) {
    constexpr std::size_t kLongestShown = 40;
    std::string result = text.substr(0, kLongestShown);
    for (char& c : result) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte >= 0x7f) {
            c = '?';
        }
    }
    return "\"" + result + (text.size() > kLongestShown ? "...\"" : "\"");
}

}  // namespace

std::string csaPieceName(int piece) {
    return piece > Empty && piece <= King ? kCsaNames[piece] : "";
}

int csaPieceCode(const std::string& name) {
    for (int piece = Pawn; piece <= King; ++piece) {
        if (name == kCsaNames[piece]) {
            return piece;
        }
    }
    return Empty;
}

std::string csaMove(const Position& position, const MoveRequest& request) {
    std::string text(1, signOf(position.sideToMove));
    if (!Board::inBounds(request.toColumn, request.toRow)) {
        return std::string();
    }
    int after = Empty;
    if (request.isDrop()) {
        if (!isHandKind(request.dropPiece)) {
            return std::string();
        }
        text += "00";
        after = request.dropPiece;
    } else {
        const Cell cell = position.board.cellAt(request.fromColumn, request.fromRow);
        if (cell.piece == Empty) {
            return std::string();
        }
        appendSquare(text, request.fromColumn, request.fromRow);
        after = request.promote && canPromote(cell.piece) ? cell.piece + 1 : cell.piece;
    }
    appendSquare(text, request.toColumn, request.toRow);
    return text + kCsaNames[after];
}

std::string csaMove(const Move& move) {
    std::string text(1, signOf(move.owner));
    if (move.dropped) {
        text += "00";
    } else {
        appendSquare(text, move.fromColumn, move.fromRow);
    }
    appendSquare(text, move.toColumn, move.toRow);
    const int after = move.promoted ? move.piece + 1 : move.piece;
    return text + csaPieceName(after);
}

bool parseCsaMove(const Position& position, const std::string& text, MoveRequest& request,
                  std::string& error) {
    if (text.size() != 7 || (text[0] != '+' && text[0] != '-')) {
        error = shown(text) + " is not a CSA move";
        return false;
    }
    const int side = text[0] == '+' ? 0 : 1;
    const int named = csaPieceCode(text.substr(5, 2));
    MoveRequest parsed;
    if (named == Empty || !readSquare(text, 3, parsed.toColumn, parsed.toRow)) {
        error = shown(text) + " is not a CSA move";
        return false;
    }
    if (side != position.sideToMove) {
        error = shown(text) + " is a move of " + (side == 0 ? "Blue (+)" : "Red (-)") +
                ", but it is " + (position.sideToMove == 0 ? "Blue's" : "Red's") + " turn";
        return false;
    }
    if (text[1] == '0' && text[2] == '0') {
        if (!isHandKind(named)) {
            error = shown(text) + " drops a " + text.substr(5, 2) + ", which no hand holds";
            return false;
        }
        parsed.dropPiece = named;
        request = parsed;
        return true;
    }
    if (!readSquare(text, 1, parsed.fromColumn, parsed.fromRow)) {
        error = shown(text) + " is not a CSA move";
        return false;
    }
    const Cell cell = position.board.cellAt(parsed.fromColumn, parsed.fromRow);
    if (cell.piece == Empty || cell.owner != side) {
        error = shown(text) + " moves from " + text.substr(1, 2) + ", where the mover has no piece";
        return false;
    }
    if (named == cell.piece + 1 && canPromote(cell.piece)) {
        parsed.promote = true;
    } else if (named != cell.piece) {
        error = shown(text) + " names a " + text.substr(5, 2) + ", but the piece on " +
                text.substr(1, 2) + " is a " + kCsaNames[static_cast<int>(cell.piece)];
        return false;
    }
    request = parsed;
    return true;
}

bool CsaPositionReader::isPositionLine(const std::string& line) {
    if (line == "+" || line == "-") {
        return true;
    }
    return line.size() >= 2 && line[0] == 'P' &&
           (line[1] == 'I' || line[1] == '+' || line[1] == '-' || isDigit(line[1], '1'));
}

CsaPositionReader::CsaPositionReader() {
    // Without PI or rows, P+ and P- lines place their pieces on an empty board.
    for (int square = 0; square < kSquareCount; ++square) {
        position_.board.cells[square] = emptyCell(square);
    }
}

bool CsaPositionReader::readLine(const std::string& line, std::string& error) {
    if (line == "+" || line == "-") {
        position_.sideToMove = line == "+" ? 0 : 1;
        sawSide_ = true;
        return true;
    }
    if (!isPositionLine(line)) {
        error = shown(line) + " is no line of a CSA position";
        return false;
    }
    if (sawSide_) {
        error = shown(line) + " comes after the side to move";
        return false;
    }
    if (line[1] == 'I') {
        if (sawBoard_ || placed_) {
            error = "the position has a PI line and another board";
            return false;
        }
        sawBoard_ = true;
        sawPi_ = true;
        position_ = Position::start();
        for (std::size_t at = 2; at < line.size(); at += 4) {
            int column = 0;
            int row = 0;
            const int piece = at + 4 <= line.size() ? csaPieceCode(line.substr(at + 2, 2)) : Empty;
            if (at + 4 > line.size() || !readSquare(line, at, column, row) || piece == Empty) {
                error = "PI: " + shown(line.substr(at)) + " is not a square and a piece";
                return false;
            }
            Cell& cell = position_.board.cells[squareOf(column, row)];
            if (cell.piece != piece) {
                error = "PI: no " + line.substr(at + 2, 2) + " stands on " + line.substr(at, 2) +
                        " to leave out";
                return false;
            }
            cell = emptyCell(squareOf(column, row));
        }
        return true;
    }
    if (line[1] == '+' || line[1] == '-') {
        return placeLine(line, line[1] == '+' ? 0 : 1, error);
    }
    const int row = line[1] - '1';
    if (sawRows_[row] || sawPi_ || placed_) {
        error = "the board row " + line.substr(0, 2) + " comes after the board was given";
        return false;
    }
    // Writers drop the blanks at the end of a row; the fields are fixed, so they come back.
    std::string padded = line;
    if (padded.size() < 2 + 3 * kBoardSize) {
        padded.resize(2 + 3 * kBoardSize, ' ');
    }
    if (padded.size() > 2 + 3 * kBoardSize &&
        padded.find_first_not_of(' ', 2 + 3 * kBoardSize) != std::string::npos) {
        error = "the board row " + shown(line) + " has more than nine squares";
        return false;
    }
    sawBoard_ = true;
    sawRows_[row] = true;
    for (int column = 0; column < kBoardSize; ++column) {
        const std::string field = padded.substr(2 + 3 * column, 3);
        const int square = squareOf(column, row);
        if (field == " * " ||
            (field == "   " && 2 + 3 * static_cast<std::size_t>(column) >= line.size())) {
            position_.board.cells[square] = emptyCell(square);
            continue;
        }
        const int piece = csaPieceCode(field.substr(1));
        if ((field[0] != '+' && field[0] != '-') || piece == Empty) {
            error = "the board row " + line.substr(0, 2) + " has " + shown(field) +
                    ", which is no piece";
            return false;
        }
        position_.board.cells[square] =
            Cell{static_cast<std::int8_t>(piece), static_cast<std::int8_t>(field[0] == '+' ? 0 : 1),
                 column, row};
    }
    return true;
}

bool CsaPositionReader::placeLine(const std::string& line, int owner, std::string& error) {
    placed_ = true;
    for (std::size_t at = 2; at < line.size(); at += 4) {
        const std::string entry = line.substr(at, 4);
        if (entry.size() < 4) {
            error = line.substr(0, 2) + ": " + shown(entry) + " is not a square and a piece";
            return false;
        }
        if (entry == "00AL") {
            if (allPlaced_) {
                error = "00AL is given twice";
                return false;
            }
            allPlaced_ = true;
            allOwner_ = owner;
            continue;
        }
        const int piece = csaPieceCode(entry.substr(2));
        if (piece == Empty) {
            error = line.substr(0, 2) + ": " + shown(entry) + " is not a square and a piece";
            return false;
        }
        if (entry[0] == '0' && entry[1] == '0') {
            if (!isHandKind(piece)) {
                error = line.substr(0, 2) + ": a " + entry.substr(2) + " cannot be in hand";
                return false;
            }
            ++position_.hands[owner][piece];
            continue;
        }
        int column = 0;
        int row = 0;
        if (!readSquare(entry, 0, column, row)) {
            error = line.substr(0, 2) + ": " + shown(entry) + " is not a square and a piece";
            return false;
        }
        position_.board.cells[squareOf(column, row)] =
            Cell{static_cast<std::int8_t>(piece), static_cast<std::int8_t>(owner), column, row};
    }
    return true;
}

bool CsaPositionReader::finish(Position& position, std::string& error) {
    // Rows are all or nothing: a board with some rows missing is a cut record.
    int rows = 0;
    for (const bool seen : sawRows_) {
        rows += seen ? 1 : 0;
    }
    if (rows != 0 && rows != kBoardSize) {
        error = "the board has " + std::to_string(rows) + " of its nine rows";
        return false;
    }
    int count[King + 1] = {};
    for (const Cell& cell : position_.board.cells) {
        if (cell.piece != Empty) {
            ++count[handKindOf(cell.piece)];
        }
    }
    for (const Hand& hand : position_.hands) {
        for (int piece = Pawn; piece <= King; ++piece) {
            count[piece] += hand[piece];
        }
    }
    for (int piece = Pawn; piece <= King; ++piece) {
        if (count[piece] > kPiecesInASet[piece]) {
            error = std::string("the position has more ") + kCsaNames[piece] + " than a set holds";
            return false;
        }
        if (allPlaced_ && isHandKind(piece)) {
            position_.hands[allOwner_][piece] += kPiecesInASet[piece] - count[piece];
        }
    }
    position = position_;
    return true;
}

bool readCsaPosition(const std::vector<std::string>& lines, Position& position,
                     std::string& error) {
    CsaPositionReader reader;
    for (const std::string& line : lines) {
        if (!reader.readLine(line, error)) {
            return false;
        }
    }
    return reader.finish(position, error);
}

std::string csaPositionText(const Position& position) {
    std::string text;
    for (int row = 0; row < kBoardSize; ++row) {
        text += 'P';
        text += static_cast<char>('1' + row);
        for (int column = 0; column < kBoardSize; ++column) {
            const Cell& cell = position.board.cells[squareOf(column, row)];
            if (cell.piece == Empty) {
                text += " * ";
            } else {
                text += signOf(cell.owner);
                text += kCsaNames[static_cast<int>(cell.piece)];
            }
        }
        text += '\n';
    }
    for (int side = 0; side < 2; ++side) {
        std::string pieces;
        for (const int piece : kHandOrder) {
            for (int held = 0; held < position.hands[side][piece]; ++held) {
                pieces += std::string("00") + kCsaNames[piece];
            }
        }
        if (!pieces.empty()) {
            text += std::string("P") + signOf(side) + pieces + "\n";
        }
    }
    text += signOf(position.sideToMove);
    text += '\n';
    return text;
}

}  // namespace ixo
