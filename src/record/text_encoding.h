#pragma once

#include <cstddef>
#include <optional>
#include <string>

namespace ixo {

// The largest record file the game opens. Check the file's size before reading it whole;
// the KIF reader's own text limit allows for this much Shift_JIS growing in UTF-8. Engine
// games that keep every reading line run past 1 MiB (a championship CSA record of 115 moves
// takes 1.1 MB).
constexpr std::size_t kMaxRecordFileBytes = 2u << 20;

// The bytes of a record file as UTF-8 text. A UTF-8 byte-order mark is removed; valid UTF-8
// is kept as it is; anything else is converted from Shift_JIS (Windows code page 932), the
// encoding of most .kif files. A "#KIF ... encoding=Shift_JIS" line (or CP932, SJIS) makes
// Shift_JIS the first choice even when the bytes would also pass as UTF-8.
// Returns nothing when the bytes are neither valid UTF-8 nor valid Shift_JIS.
std::optional<std::string> decodeRecordText(const std::string& bytes);

// UTF-8 text as Shift_JIS (code page 932), for the .kif, .ki2 and .csa files Windows programs
// read. A character the code page lacks is refused, never replaced: a record written with a
// '?' for a player's name would be a different record. On false `error` names the character
// and its line, and `shiftJis` is unspecified.
bool encodeShiftJis(const std::string& utf8, std::string& shiftJis, std::string& error);

}  // namespace ixo
