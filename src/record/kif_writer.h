#pragma once

#include <string>

#include "record/game_tree.h"

namespace ixo {

// Writes a whole tree as standard KIF, UTF-8 with LF line ends, so other programs read it
// with everything it holds:
//   - "#KIF version=2.0 encoding=UTF-8" and the rules marker (kif_syntax.h);
//   - record.headers in their order, except that the start is always the record's own: 手合割
//     is written with the name of the start where the headers have it (after them when they do
//     not), and a start that is no handicap is written as a board diagram after the headers,
//     its hands and 手番 with it (so such header lines are never written from `headers`);
//   - the comments and bookmark of the start, then every move with its time column ("( 0:05/
//     00:00:05)", minutes past 59 and hours past 99 as they come, the total the running sum of
//     the mover's whole seconds, as readers such as tsshogi recompute it), a "+" after a move
//     with another line beside it, its comments ('*') and bookmark ('&'); a sealed move after
//     a line "N 封じ手"; a line's ending as a numbered line with its time when it has one, and
//     after the main line's, the closing summary ("まで77手で先手の勝ち");
//   - then each variation as a block "変化：N手", depth first (a variation's own variations
//     before the ones beside it further up), as tsshogi and Kakinoki write them.
// Headers are what the caller put there, nothing added. A game the player starts sets three
// itself: 開始日時 (the start, "YYYY/MM/DD
// HH:MM:SS" local time) with setRecordHeader, and 先手 and 後手 with setPlayerName ("Blue" and
// "Red" unless a computer plays a side, which is named by its engine). A record opened from
// elsewhere keeps its own lines; setPlayerName then renames a side where its line stands.
std::string writeKifRecord(const GameRecord& record);

// Sets the first header line of `key` to `value` where it stands, or adds it last. Control
// characters in `value` become spaces: a line break would end the header line.
void setRecordHeader(GameRecord& record, const std::string& key, const std::string& value);

// The headers every record of a game played here has: 開始日時 first (unless the record
// already gives one), then 手合割 and both players' lines where the record has none (Blue and
// Red until someone is named).
void setGameHeaders(GameRecord& record, const std::string& startTime);

// Names the player of `side` (0 Blue, 1 Red): the value of that side's line where it stands
// (先手 or 下手 for Blue, 後手 or 上手 for Red, as the record called them), or a new 先手 or
// 後手 line last. An empty name changes nothing.
void setPlayerName(GameRecord& record, int side, const std::string& name);

}  // namespace ixo
