// Feeds arbitrary bytes to the CSA reader, raw and as the decoder passes them. Whatever reads
// without fault is written again as CSA and must read back to the same game: start, moves,
// whole seconds and ending.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "record/csa_reader.h"
#include "record/csa_writer.h"
#include "record/text_encoding.h"

namespace {

[[noreturn]] void fail(const char* what, const ixo::RecordReading& reading) {
    std::fprintf(stderr, "%s (line %d: %s)\n", what, reading.errorLine, reading.error.c_str());
    std::abort();
}

void readAndRoundTrip(const std::string& text) {
    const ixo::RecordReading reading = ixo::readCsaRecord(text);
    if (!reading.ok()) {
        if (reading.errorLine < 0) {
            fail("negative error line", reading);
        }
        return;
    }
    const ixo::GameRecord& record = reading.record;
    if (record.rules != ixo::RuleSet::Standard || record.variationCount() != 0) {
        fail("a CSA record read as something else than one standard line", reading);
    }
    std::string written, error;
    std::vector<std::string> warnings;
    if (!ixo::writeCsaRecord(record, written, error, warnings)) {
        fail("a record read cannot be written", reading);
    }
    const ixo::RecordReading again = ixo::readCsaRecord(written);
    if (!again.ok() || !(again.record.start == record.start)) {
        fail("a record written does not read back", again);
    }
    const auto before = ixo::GameRecord::path(record.mainLineEnd());
    const auto after = ixo::GameRecord::path(again.record.mainLineEnd());
    if (before.size() != after.size()) {
        fail("a record written back has another length", again);
    }
    for (std::size_t index = 0; index < before.size(); ++index) {
        if (before[index]->move != after[index]->move || before[index]->end != after[index]->end ||
            before[index]->time.usedMs / 1000 != after[index]->time.usedMs / 1000) {
            fail("a record written back has another move, ending or time", again);
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    readAndRoundTrip(bytes);
    if (const auto text = ixo::decodeRecordText(bytes)) {
        if (*text != bytes) {
            readAndRoundTrip(*text);
        }
    }
    return 0;
}
