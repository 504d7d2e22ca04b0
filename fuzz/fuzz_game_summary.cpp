// Feeds arbitrary bytes to the reader of a server's Game_Summary, line by line as the socket
// gives them, then plays the summary's moves on its position as the client does. The server
// is a peer we check: whatever it sends must end in a refusal or a game, never a crash or a
// hang. A move that passes the notation and the rules must write back as the server wrote it,
// or what we send and record would differ from what was played.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "net/game_summary.h"
#include "net/tcp_channel.h"
#include "shogi/csa_notation.h"
#include "shogi/standard_rules.h"
#include "util/line_buffer.h"

namespace {

[[noreturn]] void fail(const char* what, const std::string& detail) {
    std::fprintf(stderr, "%s: %s\n", what, detail.c_str());
    std::abort();
}

void playSummary(const ixo::GameSummary& summary) {
    std::string error;
    if (!ixo::validatePosition(summary.start, error)) {
        return;
    }
    ixo::Position position = summary.start;
    for (const ixo::CsaPlayedMove& played : summary.moves) {
        ixo::MoveRequest request;
        if (!ixo::parseCsaMove(position, played.text, request, error)) {
            if (error.empty()) {
                fail("a move refused without a reason", played.text);
            }
            return;
        }
        const std::string again = ixo::csaMove(position, request);
        ixo::Move made;
        if (!ixo::playStandardMove(position, request, &made)) {
            return;
        }
        if (again != played.text || ixo::csaMove(made) != played.text) {
            fail("a move played writes back otherwise", played.text + " -> " + again);
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // The client's own line buffer and limit, so that lines reach the reader as they would.
    ixo::LineBuffer buffer(ixo::TcpChannel::kMaxLineLength);
    buffer.append(reinterpret_cast<const char*>(data), size);
    ixo::GameSummaryReader reader;
    std::string line, error;
    for (;;) {
        const ixo::LineBuffer::Take take = buffer.take(line);
        if (take == ixo::LineBuffer::Take::Overlong) {
            continue;
        }
        if (take == ixo::LineBuffer::Take::NothingYet && !buffer.takeRest(line)) {
            break;
        }
        if (!reader.readLine(line, error)) {
            if (error.empty()) {
                fail("a line refused without a reason", line);
            }
            return 0;
        }
        if (reader.done()) {
            break;
        }
    }
    ixo::GameSummary summary;
    if (!reader.finish(summary, error)) {
        if (error.empty()) {
            fail("a summary refused without a reason", "");
        }
        return 0;
    }
    playSummary(summary);
    return 0;
}
