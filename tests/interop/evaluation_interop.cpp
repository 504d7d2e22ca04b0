// The analysis comments as another program reads them: a record is given evaluations and
// engine lines through the game's own code (the line through our rules, the comment lines,
// the KIF writer) and written out, with what each node should say, for tsshogi to check.
//   evaluation_interop OUT.kif OUT.expected
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "analysis/engine_line.h"
#include "record/evaluation_comments.h"
#include "record/kif_reader.h"
#include "record/kif_writer.h"
#include "record/replay.h"

namespace {

struct Verdict {
    int centipawns;
    int mateIn;
    std::vector<std::string> line;  // USI
};

}  // namespace

int main(int argc, char** argv) {
    using namespace ixo;
    if (argc != 3) {
        std::fprintf(stderr, "usage: evaluation_interop OUT.kif OUT.expected\n");
        return 2;
    }
    // A promotion, a recapture written 同 and a drop, in the moves and in the lines.
    RecordReading reading = readKifRecord(
        "手合割：平手\n"
        "手数----指手---------消費時間--\n"
        "   1 ７六歩(77)\n"
        "*a player's note\n"
        "   2 ３四歩(33)\n"
        "   3 ２二角成(88)\n"
        "   4 同　銀(31)\n"
        "   5 ４五角打\n"
        "   6 ５二金(61)\n");
    if (!reading.ok()) {
        std::fprintf(stderr, "%s\n", reading.error.c_str());
        return 1;
    }
    GameRecord& record = reading.record;
    const std::vector<Verdict> verdicts = {
        {35, 0, {"7g7f", "3c3d", "8h2b+", "3a2b"}},
        {-12, 0, {"3c3d", "8h2b+"}},
        {140, 0, {"8h2b+", "3a2b", "B*4e"}},
        {-2500, 0, {"3a2b"}},
        {320, 0, {"B*4e", "6a5b"}},
        {kUnknownMateCentipawns, 9, {"6a5b"}},
        {-kUnknownMateCentipawns, 0, {}},
    };
    std::ofstream expected(argv[2]);
    std::size_t index = 0;
    for (RecordNode* node = &record.root(); node; node = node->mainChild(), ++index) {
        const Verdict& verdict = verdicts.at(index);
        Evaluation evaluation;
        evaluation.centipawns = verdict.centipawns;
        evaluation.mateIn = verdict.mateIn;
        int refusedAt = -1;
        evaluation.line =
            lineText(record.rules, positionAt(record, *node), verdict.line, &refusedAt);
        if (refusedAt >= 0) {
            std::fprintf(stderr, "ply %zu: the rules refuse %s\n", index,
                         verdict.line[refusedAt].c_str());
            return 1;
        }
        node->evaluation = evaluation;
        node->evaluated = true;
        node->comment = withEvaluationLines(node->comment, evaluation, index == 3 ? "悪手" : "");
        expected << index << '\t';
        if (verdict.mateIn != 0 || verdict.centipawns == -kUnknownMateCentipawns) {
            expected << "mate\t" << (verdict.centipawns > 0 ? "先手勝ち" : "後手勝ち");
            if (verdict.mateIn != 0) {
                expected << ':' << std::abs(verdict.mateIn) << "手";
            }
        } else {
            expected << "score\t" << verdict.centipawns;
        }
        expected << '\t';
        for (std::size_t move = 0; move < verdict.line.size(); ++move) {
            expected << (move ? " " : "") << verdict.line[move];
        }
        expected << '\n';
    }
    std::ofstream(argv[1]) << writeKifRecord(record);
    return 0;
}
