#pragma once

#include <poll.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "analysis/record_analyser.h"
#include "engine/engine_harness.h"
#include "record/kif_reader.h"

namespace ixo::testing {

// Four opening moves, and so five positions to analyse, in USI: 7g7f 3c3d 2g2f 8c8d.
inline const char* const kShortGame =
    "手合割：平手\n"
    "手数----指手---------消費時間--\n"
    "   1 ７六歩(77)\n"
    "   2 ３四歩(33)\n"
    "   3 ２六歩(27)\n"
    "   4 ８四歩(83)\n";
inline const char* const kShortGameAnswers = "--answers=7g7f,3c3d,2g2f,8c8d,2f2e";

inline GameRecord shortGame() {
    RecordReading reading = readKifRecord(kShortGame);
    EXPECT_TRUE(reading.ok()) << reading.error;
    return std::move(reading.record);
}

inline EngineSetup fakeAnalyst(std::vector<std::string> arguments) {
    EngineSetup setup;
    setup.program = IXO_FAKE_ANALYST;
    setup.arguments = std::move(arguments);
    return setup;
}

// Drives the analyser as a main loop would, until `done` says so or `limitMs` passes; returns
// the progress it saw, each (done, total) once.
inline std::vector<int> runAnalyser(RecordAnalyser& analyser, const std::function<bool()>& done,
                                    int limitMs) {
    std::vector<int> progress{analyser.done()};
    const std::int64_t giveUp = nowMs() + limitMs;
    while (!done() && nowMs() < giveUp) {
        std::int64_t wait = giveUp - nowMs();
        if (analyser.nextDeadline() >= 0) {
            wait = std::min<std::int64_t>(wait, analyser.nextDeadline() - nowMs());
        }
        pollfd watched{analyser.readDescriptor(), POLLIN, 0};
        poll(&watched, watched.fd >= 0 ? 1 : 0, static_cast<int>(std::max<std::int64_t>(wait, 0)));
        analyser.update(nowMs());
        if (analyser.done() != progress.back()) {
            progress.push_back(analyser.done());
        }
    }
    return progress;
}

inline std::function<bool()> untilOver(const RecordAnalyser& analyser) {
    return [&analyser] { return !analyser.running(); };
}

// The main line's nodes, root first.
inline std::vector<const RecordNode*> mainLine(const GameRecord& record) {
    std::vector<const RecordNode*> nodes;
    for (const RecordNode* node = &record.root(); node; node = node->mainChild()) {
        nodes.push_back(node);
    }
    return nodes;
}

}  // namespace ixo::testing
