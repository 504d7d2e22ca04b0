#include "settings/settings.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "engine/engine_process.h"
#include "record/record_store.h"
#include "shogi/handicaps.h"
#include "util/bounded_file.h"

namespace ixo {

namespace {

constexpr const char* kFileName = "last-game";
// A file of random bytes could name a reason for every line; the player needs a few.
constexpr std::size_t kMostReasonsShown = 5;

bool isAbsolute(const char* path) {
    return path && path[0] == '/';
}

std::string trimmed(const std::string& text) {
    const std::size_t begin = text.find_first_not_of(" \t\r");
    if (begin == std::string::npos) {
        return std::string();
    }
    const std::size_t end = text.find_last_not_of(" \t\r");
    return text.substr(begin, end - begin + 1);
}

// What the file said, fit for the terminal: anything but whole UTF-8 characters outside the
// control ranges (C1 included, which terminals may take as escapes) becomes '?', and a long
// value is cut.
std::string shown(const std::string& text) {
    constexpr std::size_t kLongestShown = 40;
    std::string result;
    std::size_t index = 0;
    while (index < text.size() && index < kLongestShown) {
        const auto lead = static_cast<unsigned char>(text[index]);
        const std::size_t length = lead < 0x80                             ? 1
                                   : (lead & 0xe0) == 0xc0 && lead >= 0xc2 ? 2
                                   : (lead & 0xf0) == 0xe0                 ? 3
                                   : (lead & 0xf8) == 0xf0 && lead <= 0xf4 ? 4
                                                                           : 0;
        bool whole = length > 0 && index + length <= text.size();
        for (std::size_t next = 1; whole && next < length; ++next) {
            whole = (static_cast<unsigned char>(text[index + next]) & 0xc0) == 0x80;
        }
        const bool control = lead < 0x20 || lead == 0x7f ||
                             (whole && length == 2 && lead == 0xc2 &&
                              static_cast<unsigned char>(text[index + 1]) < 0xa0);
        if (!whole || control) {
            result += '?';
            ++index;
        } else {
            result.append(text, index, length);
            index += length;
        }
    }
    return index < text.size() ? result + "..." : result;
}

// 600000 as "10m", 30000 as "30s": what --clock takes, so a person can copy it.
std::string durationText(std::int64_t ms) {
    const std::int64_t seconds = (ms + 999) / 1000;
    if (seconds > 0 && seconds % 3600 == 0) {
        return std::to_string(seconds / 3600) + "h";
    }
    if (seconds > 0 && seconds % 60 == 0) {
        return std::to_string(seconds / 60) + "m";
    }
    return std::to_string(seconds) + "s";
}

const char* opponentText(int computerSide) {
    return computerSide == 0 ? "computer-blue" : computerSide == 1 ? "computer-red" : "two-players";
}

bool readFile(const std::string& path, std::string& bytes, std::string& error, bool& missing) {
    int systemError = 0;
    switch (readBoundedFile(path, kMaxSettingsBytes, bytes, systemError)) {
        case BoundedReadFault::None:
            return true;
        case BoundedReadFault::System:
            missing = systemError == ENOENT;
            error = std::strerror(systemError);
            return false;
        case BoundedReadFault::Folder:
        case BoundedReadFault::NotRegular:
            error = "it is not a regular file";
            return false;
        case BoundedReadFault::TooLarge:
            error = "it is larger than 64 KiB";
            return false;
    }
    return false;
}

}  // namespace

bool GameChoice::operator==(const GameChoice& other) const {
    return rules == other.rules && computerSide == other.computerSide && level == other.level &&
           timeControl.mainMs == other.timeControl.mainMs &&
           timeControl.byoyomiMs == other.timeControl.byoyomiMs &&
           timeControl.incrementMs == other.timeControl.incrementMs && handicap == other.handicap &&
           engine == other.engine;
}

std::string settingsPathFor(const char* xdgConfigHome, const char* home) {
    if (isAbsolute(xdgConfigHome)) {
        return std::string(xdgConfigHome) + "/ixo-shogi/" + kFileName;
    }
    if (isAbsolute(home)) {
        return std::string(home) + "/.config/ixo-shogi/" + kFileName;
    }
    return std::string();
}

std::string settingsPath() {
    return settingsPathFor(std::getenv("XDG_CONFIG_HOME"), std::getenv("HOME"));
}

SettingsReading readGameChoice(const std::string& text) {
    SettingsReading reading;
    GameChoice& choice = reading.choice;
    const auto ignore = [&reading](int lineNumber, const std::string& why) {
        reading.ignored.push_back("line " + std::to_string(lineNumber) + ": " + why);
    };
    if (text.size() > kMaxSettingsBytes) {
        reading.ignored.push_back("the whole file: it is larger than 64 KiB");
        return reading;
    }
    bool clockSeen = false;
    int byoyomiLine = 0;
    int incrementLine = 0;
    int handicapLine = 0;
    std::size_t start = 0;
    for (int lineNumber = 1; start <= text.size(); ++lineNumber) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) {
            end = text.size();
        }
        const std::string line = trimmed(text.substr(start, end - start));
        start = end + 1;
        if (line.empty() || line[0] == '#') {
            continue;
        }
        const std::size_t equals = line.find('=');
        if (equals == std::string::npos) {
            ignore(lineNumber, "\"" + shown(line) + "\" is not key = value");
            continue;
        }
        const std::string key = trimmed(line.substr(0, equals));
        const std::string value = trimmed(line.substr(equals + 1));
        const std::string said = key + " = " + shown(value);
        std::int64_t ms = 0;
        if (key == "rules") {
            if (value == "simple" || value == "standard") {
                choice.rules = value == "simple" ? RuleSet::Simple : RuleSet::Standard;
            } else {
                ignore(lineNumber, said + " (rules are simple or standard)");
            }
        } else if (key == "opponent") {
            if (value == "two-players" || value == "computer-blue" || value == "computer-red") {
                choice.computerSide = value == "two-players"     ? -1
                                      : value == "computer-blue" ? 0
                                                                 : 1;
            } else {
                ignore(lineNumber,
                       said + " (the opponent is two-players, computer-red or computer-blue)");
            }
        } else if (key == "level") {
            const bool oneDigit = value.size() == 1 && value[0] >= '1' && value[0] <= '9';
            if (oneDigit || value == "10") {
                choice.level = std::atoi(value.c_str());
            } else {
                ignore(lineNumber, said + " (a level is 1 to 10)");
            }
        } else if (key == "clock") {
            clockSeen = true;
            if (value == "none") {
                choice.timeControl.mainMs = 0;
            } else if (parseDuration(value, ms)) {
                choice.timeControl.mainMs = ms;
            } else {
                clockSeen = false;
                ignore(lineNumber, said + " (a clock is none or a time such as 10m)");
            }
        } else if (key == "byoyomi" || key == "increment") {
            if (parseDuration(value, ms)) {
                (key == "byoyomi" ? choice.timeControl.byoyomiMs : choice.timeControl.incrementMs) =
                    ms;
                (key == "byoyomi" ? byoyomiLine : incrementLine) = lineNumber;
            } else {
                ignore(lineNumber, said + " (a time such as 30s)");
            }
        } else if (key == "handicap") {
            Position position;
            if (value.empty() || value == "平手") {
                choice.handicap.clear();
            } else if (handicapPosition(value, position)) {
                choice.handicap = value;
                handicapLine = lineNumber;
            } else {
                ignore(lineNumber, said + " (not a handicap KIF names)");
            }
        } else if (key == "engine") {
            choice.engine = value;
        } else {
            ignore(lineNumber, "unknown key " + shown(key));
        }
    }
    // What makes no game together is dropped, the later-written part first.
    TimeControl& control = choice.timeControl;
    if (control.byoyomiMs > 0 && control.incrementMs > 0) {
        ignore(incrementLine, "an increment beside a byoyomi");
        control.incrementMs = 0;
    }
    if (control.incrementMs > 0 && control.mainMs == 0) {
        // The first move would have no time at all: the increment comes after it.
        ignore(incrementLine, "an increment without main time");
        control.incrementMs = 0;
    }
    const bool periodGiven = control.byoyomiMs > 0 || control.incrementMs > 0;
    if (periodGiven && !clockSeen) {
        ignore(byoyomiLine > 0 ? byoyomiLine : incrementLine,
               "a byoyomi or increment without a clock");
        control = TimeControl{};
    } else if (clockSeen && !control.limited()) {
        control = TimeControl{};  // "clock = none", or a clock of no time at all
    }
    if (!choice.handicap.empty() && choice.rules != RuleSet::Standard) {
        ignore(handicapLine, "a handicap under the simple rules");
        choice.handicap.clear();
    }
    return reading;
}

std::string writeGameChoice(const GameChoice& choice) {
    std::string text =
        "# The last game chosen in ixo-shogi, started again by a start without options.\n"
        "# rules: simple or standard; opponent: two-players, computer-red or computer-blue;\n"
        "# level: 1 to 10; clock: none or a main time, with a byoyomi or an increment.\n";
    text += std::string("rules = ") + (choice.rules == RuleSet::Standard ? "standard" : "simple") +
            "\n";
    text += std::string("opponent = ") + opponentText(choice.computerSide) + "\n";
    text += "level = " + std::to_string(choice.level) + "\n";
    const TimeControl& control = choice.timeControl;
    text += "clock = " + (control.limited() ? durationText(control.mainMs) : "none") + "\n";
    if (control.limited() && control.byoyomiMs > 0) {
        text += "byoyomi = " + durationText(control.byoyomiMs) + "\n";
    } else if (control.limited() && control.incrementMs > 0) {
        text += "increment = " + durationText(control.incrementMs) + "\n";
    }
    if (choice.rules == RuleSet::Standard && !choice.handicap.empty()) {
        text += "handicap = " + choice.handicap + "\n";
    }
    if (!choice.engine.empty()) {
        text += "engine = " + choice.engine + "\n";
    }
    return text;
}

SettingsReading loadGameChoice(const std::string& path, const std::string& defaultEngine) {
    SettingsReading reading;
    if (path.empty()) {
        return reading;
    }
    std::string bytes;
    std::string error;
    bool missing = false;
    if (!readFile(path, bytes, error, missing)) {
        if (!missing) {
            reading.ignored.push_back("the whole file: " + error);
        }
        return reading;
    }
    reading = readGameChoice(bytes);
    GameChoice& choice = reading.choice;
    std::string found;
    if (!choice.engine.empty() && !findEngine(choice.engine, found, error)) {
        reading.ignored.push_back("engine = " + shown(choice.engine) + " (" + error + ")");
        choice.engine.clear();
    }
    if (choice.computerSide >= 0 && choice.engine.empty() &&
        !findEngine(defaultEngine, found, error)) {
        reading.ignored.push_back(std::string("opponent = ") + opponentText(choice.computerSide) +
                                  " (no engine to play it: " + error + "); two players instead");
        choice.computerSide = -1;
    }
    return reading;
}

bool saveGameChoice(const std::string& path, const GameChoice& choice, std::string& error) {
    if (path.empty()) {
        error = "neither XDG_CONFIG_HOME nor HOME names an absolute folder";
        return false;
    }
    std::error_code failure;
    std::filesystem::create_directories(std::filesystem::path(path).parent_path(), failure);
    if (failure) {
        error = failure.message();
        return false;
    }
    return writeFileAtomically(path, writeGameChoice(choice), false, error);
}

std::string ignoredReport(const std::string& path, const std::vector<std::string>& ignored) {
    if (ignored.empty()) {
        return std::string();
    }
    std::string text = "ixo-shogi: ignored in " + path + ": ";
    for (std::size_t index = 0; index < ignored.size() && index < kMostReasonsShown; ++index) {
        text += (index > 0 ? "; " : "") + ignored[index];
    }
    if (ignored.size() > kMostReasonsShown) {
        text += "; and " + std::to_string(ignored.size() - kMostReasonsShown) + " more";
    }
    return text + "\n";
}

}  // namespace ixo
