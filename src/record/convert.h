#pragma once

#include <string>

namespace ixo {

// Converts the record in the file `in`, of any format (told by its content), to the file `out`
// in the format and encoding its extension names (record_format.h). `out` is written whole or
// not at all, and replaced only once the new record is on the disk.
// Returns 0 when it is written; `message` then holds what the formats could not keep, one
// "FILE:LINE: what" (or "FILE: what") a line, or is empty. Returns 1 when it is not, `message`
// saying why as "FILE:LINE: reason" (the line where the input was refused) or "FILE: reason";
// 2 when `out` names no record format, which is the caller's usage error.
int convertRecordFiles(const std::string& in, const std::string& out, std::string& message);

}  // namespace ixo
