// Feeds arbitrary bytes to the KI2 reader, raw and as the decoder passes them. Whatever reads
// without fault is written again as KI2 and must read back to the same tree: start, every
// move of every line, endings and comments. The writer's words for each move must name it.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "record/ki2_reader.h"
#include "record/ki2_writer.h"
#include "record/text_encoding.h"

namespace {

[[noreturn]] void fail(const char* what, const ixo::RecordReading& reading) {
    std::fprintf(stderr, "%s (line %d: %s)\n", what, reading.errorLine, reading.error.c_str());
    std::abort();
}

// Both trees, node by node in the same depth-first order.
bool sameTree(const ixo::RecordNode& a, const ixo::RecordNode& b) {
    std::vector<std::pair<const ixo::RecordNode*, const ixo::RecordNode*>> pending{{&a, &b}};
    while (!pending.empty()) {
        auto [left, right] = pending.back();
        pending.pop_back();
        if (left->move != right->move || left->end != right->end ||
            left->comment != right->comment || left->children.size() != right->children.size()) {
            return false;
        }
        for (std::size_t index = 0; index < left->children.size(); ++index) {
            pending.emplace_back(left->children[index].get(), right->children[index].get());
        }
    }
    return true;
}

void readAndRoundTrip(const std::string& text) {
    const ixo::RecordReading reading = ixo::readKi2Record(text);
    if (!reading.ok()) {
        if (reading.errorLine < 0) {
            fail("negative error line", reading);
        }
        return;
    }
    std::string written, error;
    std::vector<std::string> warnings;
    if (!ixo::writeKi2Record(reading.record, written, error, warnings)) {
        fail("a record read cannot be written", reading);
    }
    const ixo::RecordReading again = ixo::readKi2Record(written);
    if (!again.ok() || !(again.record.start == reading.record.start) ||
        !sameTree(reading.record.root(), again.record.root())) {
        fail("a record written does not read back to the same tree", again);
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
