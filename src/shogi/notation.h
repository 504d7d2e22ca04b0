#pragma once

#include <string>
#include <string_view>

#include "shogi/move.h"
#include "shogi/position.h"

namespace ixo {

// The characters shogi records are written in: full-width file digits, kanji ranks and
// counts, piece names and their variants, and one move as KIF writes it. Every record format
// (KIF, KI2, CSA comments) and the side panel read and write moves through here, so a piece is
// named one way everywhere.

// Small scanners over UTF-8 text. A `take` function consumes what it read from the front of
// `text` and returns 0 (or false) with `text` untouched when nothing there fits.
bool startsWith(std::string_view text, std::string_view prefix);
bool endsWith(std::string_view text, std::string_view suffix);
bool consume(std::string_view& text, std::string_view prefix);
// ASCII spaces, tabs, CRs and the ideographic space KIF pads with.
void skipSpaces(std::string_view& text);
std::string_view trimmed(std::string_view text);
bool validUtf8(std::string_view text);
// Columns a fixed-pitch font gives the text, a full-width character taking two.
int displayWidth(std::string_view text);

// "７" or "7" as file 7; "六" as rank 6; "十七" as 17 (1 to 99).
int takeFile(std::string_view& text);
int takeRank(std::string_view& text);
int takeKanjiCount(std::string_view& text);
std::string kanjiCount(int count);
// Any of the names records use for a piece ("竜" and "龍", "成銀" and "全"), as its PieceCode;
// Empty when none.
int takePiece(std::string_view& text);
// "(77)": an origin as two ASCII digits, file then rank.
bool takeOrigin(std::string_view& text, int& file, int& rank);

// A file counts from the right of the board as Blue sees it; a column from the left.
constexpr int fileOfColumn(int column) {
    return kBoardSize - column;
}
constexpr int columnOfFile(int file) {
    return kBoardSize - file;
}

// The name a move gives a piece in KIF and KI2 ("成銀" for a promoted silver); empty for none.
std::string_view kifPieceName(int piece);
// The one-character name a board diagram and a hand list use ("杏" for a promoted lance).
std::string_view diagramPieceName(int piece);
// "pawn", "promoted silver": a piece as a refusal names it to a player.
const char* englishPieceName(int piece);
const char* sideName(int side);
// "７六": a screen square as a record names it.
std::string squareName(int column, int row);
// "飛　角　歩二": a hand strongest first, as the common writers list it; "なし" when empty.
std::string handText(const Hand& hand);
// The rank numeral of a row ("一" for row 0), as a diagram's right edge labels it.
std::string_view rankNumeral(int row);

// What a KIF move line says before any rules judge it: "同　銀成(31)" is a move to the square
// the previous move reached, of a silver, promoting, from 3一.
struct WrittenMove {
    bool same = false;  // 同: the destination is the previous move's
    int toColumn = -1, toRow = -1;
    int piece = 0;  // PieceCode as named
    bool promotes = false;
    bool declinesPromotion = false;  // 不成
    bool drop = false;               // 打
    bool hasOrigin = false;
    int fromColumn = -1, fromRow = -1;
    std::string_view text;  // the move as written, for a refusal to quote
};
// Reads one move from the front of `text`. False, with `why` set, when it is not one.
bool takeWrittenMove(std::string_view& text, WrittenMove& move, std::string& why);

// One move as KIF writes it: destination (full-width file digit, kanji rank) or "同　" when
// it lands where `previous` landed, the piece's name as it stood, "成" when it promoted, and
// then the origin as two ASCII digits in parentheses, or "打" for a drop: "７六歩(77)",
// "同　角成(88)", "５五角打". A promotion declined is written as a plain move, as the KIF
// format has it: readers that follow it (tsshogi among them) take "不成" for the end of the
// game, though this reader accepts it.
std::string kifMoveText(const Move& move, const Move* previous);

}  // namespace ixo
