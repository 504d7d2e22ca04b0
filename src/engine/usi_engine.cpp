#include "engine/usi_engine.h"

#include <limits.h>
#include <poll.h>
#include <stdlib.h>

#include <chrono>
#include <cmath>
#include <cstdio>

#include "engine/think_time.h"

namespace ixo {

namespace {

// An engine that floods its output must not hold the game's frame: what is left is read on
// the next pass, which comes at once since the pipe is still readable.
constexpr int kMaxLinesPerUpdate = 2000;

// More lines than any review shows; a larger `multipv` number from an engine is read past
// rather than allowed to size a table.
constexpr int kMostSearchLines = 32;

std::int64_t steadyNowMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

std::string baseName(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string seconds(int ms) {
    const double value = ms / 1000.0;
    char text[32];
    snprintf(text, sizeof text, value == std::floor(value) ? "%.0f s" : "%.1f s", value);
    return text;
}

// What an engine sent, fit to be shown and printed: control bytes become '?' and a long line
// is cut, so that a misbehaving engine cannot garble the terminal or the screen.
std::string printable(const std::string& line) {
    constexpr std::size_t kLongestShown = 200;
    std::string shown = line.substr(0, kLongestShown);
    for (char& character : shown) {
        const auto byte = static_cast<unsigned char>(character);
        if (byte < 0x20 || byte == 0x7f) {
            character = '?';
        }
    }
    return line.size() > kLongestShown ? shown + "..." : shown;
}

std::string setOptionCommand(const std::string& name, const std::string& value) {
    return value.empty() ? "setoption name " + name : "setoption name " + name + " value " + value;
}

}  // namespace

int EngineTimeouts::scaled(int ms) const {
    const double value = std::round(ms * factor);
    return value < 1 ? 1 : value > INT_MAX ? INT_MAX : static_cast<int>(value);
}

UsiEngine::~UsiEngine() {
    shutdown();
}

bool UsiEngine::start(const EngineSetup& setup, std::int64_t nowMs) {
    shutdown();
    setup_ = setup;
    state_ = EngineState::Starting;
    readySent_ = false;
    quitting_ = false;
    variantConfirmed_ = false;
    bestMovesOwed_ = 0;
    newGamePending_ = false;
    goPending_ = false;
    deadline_ = -1;
    name_.clear();
    options_.clear();
    lines_.clear();
    lastLine_.clear();

    std::string error;
    if (!findEngine(setup_.program, path_, error)) {
        path_ = setup_.program;
        fail(EngineFault::NotFound, error, false);
        return false;
    }
    // The engine runs in its own folder, so it is given the definition's full path; a
    // definition that cannot be found is a refusal now rather than a puzzle later.
    if (!setup_.variantName.empty()) {
        char* full = realpath(setup_.variantFile.c_str(), nullptr);
        if (!full) {
            fail(EngineFault::CannotPlayVariant,
                 "the variant definition " + setup_.variantFile + " is missing", false);
            return false;
        }
        setup_.variantFile = full;
        free(full);
    }
    if (!process_.start(path_, setup_.arguments, error)) {
        fail(EngineFault::CouldNotStart, error, false);
        return false;
    }
    send("usi");
    deadline_ = nowMs + setup_.timeouts.scaled(setup_.timeouts.usiOkMs);
    return true;
}

void UsiEngine::update(std::int64_t nowMs) {
    if (state_ == EngineState::Gone) {
        return;
    }
    std::string line;
    for (int count = 0; count < kMaxLinesPerUpdate && state_ != EngineState::Gone; ++count) {
        const EngineProcess::Read read = process_.readLine(line);
        if (read == EngineProcess::Read::NothingYet) {
            break;
        }
        if (read == EngineProcess::Read::Closed) {
            endOfOutput();
            break;
        }
        if (read == EngineProcess::Read::Overlong) {
            fail(EngineFault::Garbage, "sent a line longer than any USI line");
            break;
        }
        lastLine_ = line;
        handleLine(line, nowMs);
    }
    if (state_ == EngineState::Gone) {
        return;
    }
    if (!process_.flush() && !quitting_) {
        fail(EngineFault::StoppedReading, "stopped reading what the game sends");
        return;
    }
    if (quitting_) {
        if (process_.reap()) {
            process_.kill();
            state_ = EngineState::Gone;
            deadline_ = -1;
        } else if (nowMs >= deadline_) {
            // It had its chance to leave on its own.
            process_.kill();
            state_ = EngineState::Gone;
            deadline_ = -1;
        }
        return;
    }
    if (deadline_ < 0 || nowMs < deadline_) {
        return;
    }
    const EngineTimeouts& timeouts = setup_.timeouts;
    if (state_ == EngineState::Starting && !readySent_) {
        fail(EngineFault::NoUsiOk,
             "sent no usiok within " + seconds(timeouts.scaled(timeouts.usiOkMs)));
    } else if (state_ == EngineState::Starting) {
        fail(EngineFault::NoReadyOk,
             "sent no readyok within " + seconds(timeouts.scaled(timeouts.readyOkMs)));
    } else if (state_ == EngineState::Thinking && stopOwed_) {
        stopOwed_ = false;
        send("stop");
        deadline_ = searchStartMs_ + searchLimitMs_;
    } else if (state_ == EngineState::Thinking) {
        fail(EngineFault::NoBestMove, "sent no bestmove within " + seconds(searchLimitMs_));
    } else if (state_ == EngineState::Stopping) {
        fail(EngineFault::NoAnswerToStop,
             "did not answer stop within " + seconds(timeouts.scaled(timeouts.stopMs)));
    }
}

bool UsiEngine::pollEvent(EngineEvent& event) {
    if (events_.empty()) {
        return false;
    }
    event = std::move(events_.front());
    events_.pop_front();
    return true;
}

void UsiEngine::handleLine(const std::string& text, std::int64_t nowMs) {
    const EngineLine line = parseEngineLine(text);
    switch (line.kind) {
        case EngineLine::Kind::Garbage:
            fail(EngineFault::Garbage, "sent something that is not USI");
            return;
        case EngineLine::Kind::IdName:
            if (state_ == EngineState::Starting) {
                name_ = line.text;
            }
            return;
        case EngineLine::Kind::Option:
            if (state_ == EngineState::Starting && !readySent_) {
                options_.push_back(line.option);
            }
            return;
        case EngineLine::Kind::UsiOk:
            if (state_ == EngineState::Starting && !readySent_) {
                configure(nowMs);
            }
            return;
        case EngineLine::Kind::ReadyOk:
            if (state_ == EngineState::Starting && readySent_) {
                if (!setup_.variantName.empty() && !variantConfirmed_) {
                    fail(EngineFault::CannotPlayVariant,
                         "did not take the variant " + setup_.variantName +
                             ", so it cannot play the simple rules");
                    return;
                }
                emit(EngineEvent::Kind::Ready);
                newGamePending_ = true;
                becomeReady(nowMs);
            }
            return;
        case EngineLine::Kind::Info:
            // fairy-stockfish confirms a variant it has taken with "info string variant NAME
            // files 9 ...", and says nothing for one it does not know.
            if (state_ == EngineState::Starting && !setup_.variantName.empty() &&
                line.info.text.rfind("variant " + setup_.variantName + " ", 0) == 0) {
                variantConfirmed_ = true;
            }
            if (state_ == EngineState::Thinking && line.info.showsProgress()) {
                merge(line.info);
                emit(EngineEvent::Kind::Info);
            }
            return;
        case EngineLine::Kind::BestMove:
        case EngineLine::Kind::Resign:
        case EngineLine::Kind::Win:
            if (state_ == EngineState::Thinking) {
                state_ = EngineState::Ready;
                deadline_ = -1;
                emit(line.kind == EngineLine::Kind::BestMove ? EngineEvent::Kind::BestMove
                     : line.kind == EngineLine::Kind::Resign ? EngineEvent::Kind::Resign
                                                             : EngineEvent::Kind::Win,
                     line.text);
                becomeReady(nowMs);
                return;
            }
            // The answer to a search that was stopped, or one nobody asked for: either way
            // it belongs to no position the game is in now.
            ++staleBestMoves_;
            if (bestMovesOwed_ > 0) {
                --bestMovesOwed_;
            }
            if (state_ == EngineState::Stopping && !quitting_ && bestMovesOwed_ == 0) {
                becomeReady(nowMs);
            }
            return;
        case EngineLine::Kind::IdAuthor:
        case EngineLine::Kind::Unknown:
            return;
    }
}

void UsiEngine::configure(std::int64_t nowMs) {
    if (!setup_.variantName.empty() && (!offers("UCI_Variant") || !offers("VariantPath"))) {
        fail(EngineFault::CannotPlayVariant,
             "offers no UCI_Variant and VariantPath, so it cannot play the simple rules");
        return;
    }
    // Sent after every usiok rather than once: fairy-stockfish forgets its variant on a
    // second usi, so configuration belongs to the answer, not to the start.
    if (offers("Skill Level")) {
        send(setOptionCommand("Skill Level",
                              std::to_string(levelSettings(setup_.level).skillLevel)));
    }
    if (!setup_.variantName.empty()) {
        send(setOptionCommand("VariantPath", setup_.variantFile));
        send(setOptionCommand("UCI_Variant", setup_.variantName));
    }
    for (const auto& [name, value] : setup_.options) {
        // gpsusi aborts on what it does not expect, so only what the engine offered goes out.
        if (offers(name)) {
            send(setOptionCommand(name, value));
        } else {
            emit(EngineEvent::Kind::Warning, (name_.empty() ? baseName(path_) : name_) +
                                                 " has no option " + name + "; it is not sent");
        }
    }
    send("isready");
    readySent_ = true;
    deadline_ = nowMs + setup_.timeouts.scaled(setup_.timeouts.readyOkMs);
}

void UsiEngine::becomeReady(std::int64_t nowMs) {
    state_ = EngineState::Ready;
    deadline_ = -1;
    if (newGamePending_) {
        newGamePending_ = false;
        send("usinewgame");
    }
    if (goPending_ && state_ == EngineState::Ready) {
        sendGo(nowMs);
    }
}

void UsiEngine::newGame(std::int64_t nowMs) {
    // The old game's search belongs to no position of the new one.
    stop(nowMs);
    if (state_ == EngineState::Ready) {
        send("usinewgame");
    } else if (state_ != EngineState::Gone && !quitting_) {
        newGamePending_ = true;
    }
}

bool UsiEngine::go(const std::string& sfen, const std::vector<std::string>& moves,
                   const GoTimes& times, std::int64_t nowMs) {
    const bool waiting =
        state_ == EngineState::Starting || (state_ == EngineState::Stopping && !quitting_);
    if (state_ != EngineState::Ready && !waiting) {
        return false;
    }
    pendingPosition_ = positionCommand(sfen, moves);
    pendingTimes_ = times;
    goPending_ = true;
    if (state_ == EngineState::Ready) {
        sendGo(nowMs);
    }
    return true;
}

GoTimes UsiEngine::levelTimes(int moverSide) const {
    return thinkTime(setup_.level, ClockRules{}, SideTime{}, SideTime{}, 0, moverSide);
}

void UsiEngine::sendGo(std::int64_t nowMs) {
    goPending_ = false;
    send(pendingPosition_);
    send(goCommand(pendingTimes_, takesIncrement()));
    if (state_ == EngineState::Gone) {
        return;
    }
    state_ = EngineState::Thinking;
    lines_.clear();
    const std::int64_t budget = pendingTimes_.moverBudgetMs();
    const std::int64_t limit = budget + setup_.timeouts.scaled(setup_.timeouts.bestMoveMarginMs);
    searchLimitMs_ = limit > INT_MAX ? INT_MAX : static_cast<int>(limit);
    searchStartMs_ = nowMs;
    stopOwed_ = budget + kStopGraceMs < limit;
    deadline_ = nowMs + (stopOwed_ ? budget + kStopGraceMs : searchLimitMs_);
}

const SearchInfo& UsiEngine::latestInfo() const {
    static const SearchInfo kNothingYet;
    return lines_.empty() ? kNothingYet : lines_.front();
}

void UsiEngine::merge(const SearchInfo& info) {
    const int number = info.multiPv <= 0 ? 1 : info.multiPv;
    if (number > kMostSearchLines) {
        return;
    }
    if (lines_.size() < static_cast<std::size_t>(number)) {
        lines_.resize(static_cast<std::size_t>(number));
    }
    SearchInfo& line = lines_[static_cast<std::size_t>(number - 1)];
    line.multiPv = number;
    line.depth = info.depth >= 0 ? info.depth : line.depth;
    line.selectiveDepth = info.selectiveDepth >= 0 ? info.selectiveDepth : line.selectiveDepth;
    line.timeMs = info.timeMs >= 0 ? info.timeMs : line.timeMs;
    line.nodes = info.nodes >= 0 ? info.nodes : line.nodes;
    if (info.score.kind != Score::Kind::None) {
        line.score = info.score;
    }
    if (!info.principalVariation.empty()) {
        line.principalVariation = info.principalVariation;
    }
}

void UsiEngine::stop(std::int64_t nowMs) {
    goPending_ = false;
    if (state_ != EngineState::Thinking) {
        return;
    }
    stopOwed_ = false;
    send("stop");
    ++bestMovesOwed_;
    state_ = EngineState::Stopping;
    deadline_ = nowMs + setup_.timeouts.scaled(setup_.timeouts.stopMs);
}

void UsiEngine::quit(std::int64_t nowMs) {
    if (state_ == EngineState::Gone || quitting_) {
        return;
    }
    if (state_ == EngineState::Thinking) {
        send("stop");
        ++bestMovesOwed_;
    }
    send("quit");
    goPending_ = false;
    newGamePending_ = false;
    quitting_ = true;
    state_ = EngineState::Stopping;
    deadline_ = nowMs + setup_.timeouts.scaled(setup_.timeouts.quitMs);
}

void UsiEngine::shutdown() {
    if (state_ == EngineState::Gone) {
        process_.kill();
        return;
    }
    quit(steadyNowMs());
    // The engine's output is drained meanwhile: one blocked on a full pipe could never exit.
    while (state_ != EngineState::Gone) {
        const int descriptor = process_.readDescriptor();
        const std::int64_t left = deadline_ - steadyNowMs();
        if (descriptor >= 0 && left > 0) {
            pollfd watched{descriptor, POLLIN, 0};
            poll(&watched, 1, static_cast<int>(left < 5 ? left : 5));
        } else if (left > 0) {
            process_.waitForExit(static_cast<int>(left < 5 ? left : 5));
        }
        update(steadyNowMs());
    }
    events_.clear();
}

bool UsiEngine::offers(const std::string& option) const {
    for (const EngineOption& offered : options_) {
        if (offered.name == option) {
            return true;
        }
    }
    return false;
}

void UsiEngine::send(const std::string& line) {
    // A line break inside a value (an option from the command line, say) would smuggle a
    // command of its own to the engine.
    if (line.find_first_of(std::string("\n\r\0", 3)) != std::string::npos) {
        emit(EngineEvent::Kind::Warning,
             "not sent to the engine, as it holds a line break: " + printable(line));
        return;
    }
    if (state_ != EngineState::Gone && !process_.sendLine(line) && !quitting_) {
        fail(EngineFault::StoppedReading, "stopped reading what the game sends");
    }
}

void UsiEngine::endOfOutput() {
    // An engine that closes its output exits with it; a moment's wait gets its status.
    constexpr int kExitGraceMs = 100;
    process_.waitForExit(kExitGraceMs);
    if (quitting_) {
        process_.kill();
        state_ = EngineState::Gone;
        deadline_ = -1;
        return;
    }
    const std::string status = process_.exitDescription();
    fail(EngineFault::Exited, status.empty() ? "closed its output" : "stopped: " + status);
}

void UsiEngine::fail(EngineFault fault, const std::string& what, bool named) {
    process_.kill();
    state_ = EngineState::Gone;
    deadline_ = -1;
    quitting_ = false;
    goPending_ = false;
    newGamePending_ = false;
    EngineEvent event;
    event.kind = EngineEvent::Kind::Fault;
    event.fault = fault;
    // Before the engine runs, the reason names the program itself; afterwards it says what
    // the engine did.
    event.message = named ? (name_.empty() ? baseName(path_) : name_) + " " + what : what;
    if (!lastLine_.empty()) {
        event.message += " (its last line: \"" + printable(lastLine_) + "\")";
    }
    events_.push_back(std::move(event));
}

void UsiEngine::emit(EngineEvent::Kind kind, const std::string& text) {
    EngineEvent event;
    event.kind = kind;
    if (kind == EngineEvent::Kind::Warning) {
        event.message = text;
    } else {
        event.move = text;
    }
    events_.push_back(std::move(event));
}

bool UsiEngine::takesIncrement() const {
    return baseName(path_) != "gpsusi" && name_.rfind("gpsshogi", 0) != 0;
}

}  // namespace ixo
