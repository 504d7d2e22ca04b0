#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "record/game_tree.h"
#include "record/kif_reader.h"

namespace ixo {

// The record formats of the shogi world, told apart by what a file holds rather than its
// name, since files travel renamed and a .kif may hold KI2.

enum class RecordFormat { Kif, Ki2, Csa };

// What a file name's extension asks a record to be written as. The extension decides the
// encoding too: .kif, .ki2 and .csa are Shift_JIS, as the programs that made the formats
// read them; .kifu and .ki2u are UTF-8.
struct RecordFileType {
    RecordFormat format = RecordFormat::Kif;
    bool shiftJis = false;
};
// By the extension, whatever its case; nothing for one that is no record's.
std::optional<RecordFileType> recordFileTypeOf(const std::string& path);

const char* recordFormatName(RecordFormat format);

// KIF, KI2 or CSA by the text's first lines that only one of them writes: CSA's statements
// (V2.2, N+, $EVENT, PI, P1, a move or a sign line after its comments), KI2's moves beginning
// with ▲ or △, KIF's numbered moves and move table. Text of none of them is taken as KIF,
// whose reader then says what is wrong with it.
RecordFormat detectRecordFormat(std::string_view utf8Text);

// The bytes of a record file of any format, decoded as decodeRecordText does (UTF-8 with or
// without its mark, else Shift_JIS) and read by the reader of the format its content shows.
// `format` (if given) receives that format.
RecordReading readAnyRecord(const std::string& bytes, RecordFormat* format = nullptr);

// A record as the bytes of a file of `type`. The text is what the format's writer gives,
// with its encoding line naming the encoding; in Shift_JIS, a character the encoding lacks
// is an error rather than a substitute. `warnings` says what the format could not keep:
// CSA's variations, KI2's times, KIF's and KI2's evaluations.
struct RecordWriting {
    std::string bytes;
    std::string error;
    std::vector<std::string> warnings;

    bool ok() const { return error.empty(); }
};
RecordWriting writeRecordAs(const GameRecord& record, RecordFileType type);

}  // namespace ixo
