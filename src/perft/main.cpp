// ixo-perft: counts the leaf positions below a position, the standard proof of a move
// generator against counts published elsewhere.
//   ixo-perft [--divide] DEPTH startpos|SFEN [--divide]
// The SFEN may be one argument or its words. The last line printed is the leaf count.

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "shogi/perft.h"
#include "shogi/position.h"
#include "shogi/standard_rules.h"

namespace {

int usage() {
    std::fprintf(stderr, "usage: ixo-perft [--divide] DEPTH startpos|SFEN\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    // --divide may stand anywhere; every other word is the depth and then the position.
    bool divide = false;
    std::vector<const char*> words;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--divide") == 0) {
            divide = true;
        } else {
            words.push_back(argv[i]);
        }
    }
    if (words.size() < 2) {
        return usage();
    }
    char* end = nullptr;
    const long depth = std::strtol(words[0], &end, 10);
    if (*words[0] == '\0' || *end != '\0' || depth < 0 || depth > 20) {
        std::fprintf(stderr, "ixo-perft: the depth is a number from 0 to 20, not '%s'\n", words[0]);
        return 2;
    }
    std::string sfen;
    for (std::size_t i = 1; i < words.size(); ++i) {
        sfen += (i > 1 ? " " : "");
        sfen += words[i];
    }
    ixo::Position position;
    std::string error;
    if (!ixo::parseSfen(sfen, position, error)) {
        std::fprintf(stderr, "ixo-perft: %s\n", error.c_str());
        return 1;
    }
    if (!ixo::validatePosition(position, error)) {
        std::fprintf(stderr, "ixo-perft: %s\n", error.c_str());
        return 1;
    }
    std::uint64_t total = 0;
    if (divide) {
        for (const auto& [move, count] : ixo::perftDivide(position, static_cast<int>(depth))) {
            std::printf("%s %llu\n", ixo::usiMove(move).c_str(),
                        static_cast<unsigned long long>(count));
            total += count;
        }
        if (depth == 0) {
            total = 1;
        }
    } else {
        total = ixo::perft(position, static_cast<int>(depth));
    }
    std::printf("%llu\n", static_cast<unsigned long long>(total));
    return 0;
}
