#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "shogi/move.h"

namespace ixo {

// Game records in KIF, the plain-text notation that Japanese shogi software exchanges.
// Everything here works on strings in memory: reading files and decoding their bytes is the
// caller's business (record/text_encoding.h), so the tests and the fuzzer call it directly.

// The longest text and the most moves the reader accepts. A record file of 1 MiB in
// Shift_JIS can grow to three times its size in UTF-8, so the text limit allows for that.
constexpr std::size_t kKifMaxTextBytes = 3u << 20;
constexpr int kKifMaxMoves = 10000;

// One move as KIF writes it: destination (full-width file digit, kanji rank) or "同　" when
// it lands where `previous` landed, the piece's name as it stood, "成" when it promoted, and
// the origin as two ASCII digits in parentheses: "７六歩(77)", "同　角成(88)".
std::string kifMoveText(const Move& move, const Move* previous);

// A whole record of a game from the start position, Blue moving first, with LF line ends.
// `startTime` is "YYYY/MM/DD HH:MM:SS" in local time.
std::string writeKif(const std::vector<Move>& moves, const std::string& startTime);

// What the reader made of a text: every move replayed from the start position through the
// game's own rules, or the first fault. `errorLine` is 1-based; it is 0 only when the fault
// is the text as a whole (too long). `error` is a short English reason, never a copy of the
// input. Moves before a fault are kept, but a caller should not use them.
struct KifReading {
    std::vector<Move> moves;
    int errorLine = 0;
    std::string error;

    bool ok() const { return error.empty(); }
};

// Reads KIF text (UTF-8) of an even game. Accepts LF or CRLF, header lines in any order,
// comment lines, time columns, "同" with or without its full-width space, the usual end
// lines and the common variants of the piece names. Refuses handicaps and set-up positions,
// drops, moves the rules do not allow, a promotion that is not exactly the forced one,
// over kKifMaxMoves moves and text over kKifMaxTextBytes. Safe on any bytes at all.
KifReading readKif(const std::string& utf8Text);

}  // namespace ixo
