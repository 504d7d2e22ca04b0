// Feeds arbitrary bytes to the record reading path: decoding, then the KIF reader, on the raw
// bytes too so that the reader meets what no decoder would pass. Whatever reads without fault
// is written again under its rules and must read back to the same game.

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "record/text_encoding.h"
#include "shogi/kif.h"

namespace {

void fail(const char* what, const ixo::KifReading& reading) {
    std::fprintf(stderr, "%s (line %d: %s, %zu moves)\n", what, reading.errorLine,
                 reading.error.c_str(), reading.moves.size());
    std::abort();
}

// Every header line of `kept` is in `written`, in the same order. The writer may add its
// own (the start time, the players' default names), and writes 手合割 from the game itself.
bool keptInOrder(const std::vector<ixo::KifHeader>& kept,
                 const std::vector<ixo::KifHeader>& written) {
    auto next = written.begin();
    for (const ixo::KifHeader& header : kept) {
        if (header.key == "手合割") {
            continue;
        }
        next = std::find(next, written.end(), header);
        if (next == written.end()) {
            return false;
        }
        ++next;
    }
    return true;
}

// Each move's own time comes back as it was read; the totals are the writer's sums, which
// a record from elsewhere need not have kept.
bool sameMoveTimes(const ixo::KifReading& read, const ixo::KifReading& again) {
    if (read.times.size() != read.moves.size() || again.times.size() != read.times.size()) {
        return false;
    }
    for (std::size_t ply = 0; ply < read.times.size(); ++ply) {
        if (again.times[ply].usedMs != read.times[ply].usedMs) {
            return false;
        }
    }
    return true;
}

void readAndRoundTrip(const std::string& text) {
    const ixo::KifReading reading = ixo::readKif(text);
    if (!reading.ok()) {
        if (reading.errorLine < 0) {
            fail("negative error line", reading);
        }
        return;
    }
    if (reading.moves.size() > static_cast<std::size_t>(ixo::kKifMaxMoves)) {
        fail("more moves than the limit", reading);
    }
    if (reading.rules == ixo::RuleSet::Simple) {
        const ixo::KifReading again =
            ixo::readKif(ixo::writeKif(reading.moves, "2026/01/01 00:00:00", reading.times));
        if (!again.ok() || again.rules != reading.rules || again.moves != reading.moves ||
            !sameMoveTimes(reading, again)) {
            fail("a record read does not read back the same once written", again);
        }
        return;
    }
    // A standard game comes back with its start, its moves, who won, and what it said. How it
    // was won may come back plainer: KIF has one word for every foul.
    const ixo::KifReading again = ixo::readKif(ixo::writeStandardKif(
        reading.standard, "2026/01/01 00:00:00", reading.headers, reading.times));
    if (!again.ok() || again.rules != reading.rules || again.moves != reading.moves ||
        !sameMoveTimes(reading, again) ||
        !(again.standard.startPosition() == reading.standard.startPosition()) ||
        again.standard.outcome().winner != reading.standard.outcome().winner ||
        again.standard.outcome().over() != reading.standard.outcome().over() ||
        !keptInOrder(reading.headers, again.headers)) {
        fail("a standard record read does not read back the same once written", again);
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
