// Feeds arbitrary bytes to the CSA position reader and the move reader, the two the client
// judges a server's position and moves with. Lines that read as a position block make the
// position; the lines after it are moves, each read and played in turn. The first line is
// also read as a move on the even start, so that short inputs reach the move reader at once.
// Refusals are fine; a crash, a hang or a refusal without a reason is not, and a move that
// reads and plays must write back as it was read.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "shogi/csa_notation.h"
#include "shogi/standard_rules.h"

namespace {

[[noreturn]] void fail(const char* what, const std::string& detail) {
    std::fprintf(stderr, "%s: %s\n", what, detail.c_str());
    std::abort();
}

// A move with a time after it, as servers send them: "+7776FU,T12".
std::string movePart(const std::string& line) {
    return line.substr(0, line.find(','));
}

// False once the game cannot go on.
bool playLine(ixo::Position& position, const std::string& line) {
    const std::string text = movePart(line);
    ixo::MoveRequest request;
    std::string error;
    if (!ixo::parseCsaMove(position, text, request, error)) {
        if (error.empty()) {
            fail("a move refused without a reason", text);
        }
        return false;
    }
    const std::string again = ixo::csaMove(position, request);
    ixo::Move made;
    if (!ixo::playStandardMove(position, request, &made)) {
        return false;
    }
    if (again != text || ixo::csaMove(made) != text) {
        fail("a move played writes back otherwise", text + " -> " + again);
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    std::vector<std::string> lines;
    for (std::size_t begin = 0; begin <= bytes.size();) {
        std::size_t end = bytes.find('\n', begin);
        if (end == std::string::npos) {
            end = bytes.size();
        }
        lines.push_back(bytes.substr(begin, end - begin));
        begin = end + 1;
    }

    std::string error;
    ixo::Position start;
    if (!ixo::readCsaPosition({"PI", "+"}, start, error)) {
        fail("the even start does not read", error);
    }
    ixo::Position even = start;
    playLine(even, lines.front());

    ixo::CsaPositionReader reader;
    std::size_t index = 0;
    while (index < lines.size() && ixo::CsaPositionReader::isPositionLine(lines[index])) {
        if (!reader.readLine(lines[index], error)) {
            if (error.empty()) {
                fail("a position line refused without a reason", lines[index]);
            }
            return 0;
        }
        ++index;
    }
    ixo::Position position;
    if (!reader.finish(position, error)) {
        if (error.empty()) {
            fail("a position refused without a reason", "");
        }
        return 0;
    }
    // A position the rules refuse (two kings of one side, a pawn on the last rank) is no
    // game; the client refuses it before any move.
    if (!ixo::validatePosition(position, error)) {
        return 0;
    }
    for (; index < lines.size(); ++index) {
        if (!playLine(position, lines[index])) {
            break;
        }
    }
    return 0;
}
