#include "record/convert.h"

#include "record/record_format.h"
#include "record/record_store.h"

namespace ixo {

int convertRecordFiles(const std::string& in, const std::string& out, std::string& message) {
    message.clear();
    const std::optional<RecordFileType> type = recordFileTypeOf(out);
    if (!type) {
        message = out + ": the extension names no record format (.kif, .kifu, .ki2, .ki2u, .csa)";
        return 2;
    }
    std::string bytes, why;
    if (!readRecordFile(in, bytes, why)) {
        message = in + ": " + why;
        return 1;
    }
    const RecordReading reading = readAnyRecord(bytes);
    if (!reading.ok()) {
        message = in + (reading.errorLine > 0 ? ":" + std::to_string(reading.errorLine) : "") +
                  ": " + reading.error;
        return 1;
    }
    RecordWriting writing = writeRecordAs(reading.record, *type);
    if (!writing.ok()) {
        message = out + ": " + writing.error;
        return 1;
    }
    if (!writeFileAtomically(out, writing.bytes, false, why)) {
        message = out + ": " + why;
        return 1;
    }
    // Each reader's warning begins with its line; each writer's concerns the whole file.
    for (const std::string& warning : reading.warnings) {
        message += in + ":" + warning + "\n";
    }
    for (const std::string& warning : writing.warnings) {
        message += out + ": " + warning + "\n";
    }
    if (!message.empty()) {
        message.pop_back();
    }
    return 0;
}

}  // namespace ixo
