// Feeds arbitrary bytes to the record reading path: decoding, then the KIF reader, on the raw
// bytes too so that the reader meets what no decoder would pass. Whatever reads without fault
// is written again under its rules and must read back to the same game; the whole tree
// (comments, bookmarks, variations, sealed moves, endings and times) must read back the same.

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "record/kif_reader.h"
#include "record/kif_writer.h"
#include "record/text_encoding.h"

namespace {

// Every header line of `kept` is in `written`, in the same order. The writer may add its
// own (the start time, the players' default names), and writes 手合割 from the game itself.
bool keptInOrder(const std::vector<ixo::RecordHeader>& kept,
                 const std::vector<ixo::RecordHeader>& written) {
    auto next = written.begin();
    for (const ixo::RecordHeader& header : kept) {
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

bool sameNode(const ixo::RecordNode& a, const ixo::RecordNode& b) {
    return a.ply == b.ply && a.end == b.end && (a.isEnd() || a.isRoot() || a.move == b.move) &&
           a.comment == b.comment && a.bookmark == b.bookmark && a.sealed == b.sealed &&
           a.time.usedMs == b.time.usedMs && a.children.size() == b.children.size();
}

// Node by node, without recursion: a fuzzed tree may be thousands of moves deep.
bool sameTree(const ixo::GameRecord& a, const ixo::GameRecord& b) {
    if (a.rules != b.rules || !(a.start == b.start)) {
        return false;
    }
    std::vector<std::pair<const ixo::RecordNode*, const ixo::RecordNode*>> pending{
        {&a.root(), &b.root()}};
    while (!pending.empty()) {
        const auto [left, right] = pending.back();
        pending.pop_back();
        if (!sameNode(*left, *right)) {
            return false;
        }
        for (std::size_t index = 0; index < left->children.size(); ++index) {
            pending.emplace_back(left->children[index].get(), right->children[index].get());
        }
    }
    return true;
}

// Whatever reads is written again and must read back to the same tree, with every header
// line it held kept in order, whichever rules it is played under.
void readAndRoundTrip(const std::string& text) {
    const ixo::RecordReading reading = ixo::readKifRecord(text);
    if (!reading.ok()) {
        if (reading.errorLine < 0) {
            std::fprintf(stderr, "negative error line (%s)\n", reading.error.c_str());
            std::abort();
        }
        return;
    }
    if (reading.record.nodeCount() > static_cast<std::size_t>(ixo::kKifMaxNodes) + 1) {
        std::fprintf(stderr, "more nodes than the limit\n");
        std::abort();
    }
    const ixo::RecordReading again = ixo::readKifRecord(ixo::writeKifRecord(reading.record));
    if (!again.ok() || !sameTree(reading.record, again.record) ||
        !keptInOrder(reading.record.headers, again.record.headers)) {
        std::fprintf(stderr, "a tree read does not read back the same once written (%d: %s)\n",
                     again.errorLine, again.error.c_str());
        std::abort();
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
