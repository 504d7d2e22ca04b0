// Feeds arbitrary bytes to the settings reader, as a damaged or hand-edited file would. What
// it keeps must be a game that can start, and must read back the same through the writer;
// what it ignores must be said in words fit for a terminal.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "settings/settings.h"

namespace {

void fail(const char* what, const std::string& detail) {
    std::fprintf(stderr, "%s: %s\n", what, detail.c_str());
    std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    const ixo::SettingsReading reading = ixo::readGameChoice(bytes);
    const ixo::GameChoice& choice = reading.choice;
    if (choice.level < ixo::kMinLevel || choice.level > ixo::kMaxLevel) {
        fail("a level out of range was kept", std::to_string(choice.level));
    }
    if (choice.computerSide < -1 || choice.computerSide > 1) {
        fail("an opponent that is no side was kept", std::to_string(choice.computerSide));
    }
    const ixo::TimeControl& clock = choice.timeControl;
    // An increment without main time would leave the first move no time at all.
    if ((clock.byoyomiMs > 0 && clock.incrementMs > 0) ||
        (clock.incrementMs > 0 && clock.mainMs == 0) || clock.mainMs < 0 || clock.byoyomiMs < 0 ||
        clock.incrementMs < 0) {
        fail("a clock no game can have was kept", ixo::writeGameChoice(choice));
    }
    if (!choice.handicap.empty() && choice.rules != ixo::RuleSet::Standard) {
        fail("a handicap under the simple rules was kept", choice.handicap);
    }
    for (const std::string& reason : reading.ignored) {
        for (const char character : reason) {
            if (static_cast<unsigned char>(character) < 0x20) {
                fail("a reason with control bytes", reason);
            }
        }
    }
    if (ixo::readGameChoice(ixo::writeGameChoice(choice)).choice != choice) {
        fail("what was kept does not read back", ixo::writeGameChoice(choice));
    }
    return 0;
}
