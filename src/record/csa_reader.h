#pragma once

#include <string>
#include <string_view>

#include "record/game_tree.h"
#include "record/kif_reader.h"

namespace ixo {

// Reads a CSA record (UTF-8 text; the caller decodes Shift_JIS) into a tree under the standard
// rules, from the V1 form without a version line to V3.0:
//   - N+ and N- as the 先手 and 後手 header lines, and $ lines as headers under the names KIF
//     gives them (EVENT 棋戦, SITE 場所, START_TIME 開始日時, END_TIME 終了日時, TIME_LIMIT and
//     TIME 持ち時間, OPENING 戦型, MAX_MOVES 最大手数, JISHOGI 持将棋, NOTE 備考); any other key
//     is kept as it is written;
//   - the start from PI, P1 to P9, P+ and P- (00AL too) and the side-to-move line;
//   - each move through the rules, with its T time (whole seconds, or fractions in V3.0);
//   - every % ending as a LineEnd node (see csaLineEnd), with its time;
//   - comment lines on the node before them (the root before the first move): "'*" lines as
//     the record's comments, floodgate's "'** SCORE PV" as the node's evaluation (its PV kept
//     as written), and any other "'" line as a comment too;
//   - several statements on a line separated by commas.
// Only the first game of a file of several ('/' lines between them) is read; a warning says
// how many follow. A line that is none of these, or a move the rules refuse, refuses the
// record with its line. Safe on any bytes at all.
RecordReading readCsaRecord(const std::string& utf8Text);

// The LineEnd of a CSA special move ("%TORYO" without its sign, "+ILLEGAL_ACTION" with it),
// `sideToMove` being the side whose turn it was; None for a word CSA does not define.
LineEnd csaLineEnd(std::string_view word, int sideToMove);
// The special move that writes `end` when `sideToMove` is to move; empty when CSA has none
// (不戦勝, 不戦敗).
std::string csaEndWord(LineEnd end, int sideToMove);

// The CSA header key of a KIF header key and back; empty when there is none.
std::string_view csaKeyOfKifKey(std::string_view kifKey);
std::string_view kifKeyOfCsaKey(std::string_view csaKey);

}  // namespace ixo
