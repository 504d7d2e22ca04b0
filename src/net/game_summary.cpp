#include "net/game_summary.h"

#include "shogi/csa_notation.h"

namespace ixo {

namespace {

// A count in the server's units: digits only, and few enough that milliseconds of it fit.
bool readCount(const std::string& text, long long& value) {
    if (text.empty() || text.size() > 9 ||
        text.find_first_not_of("0123456789") != std::string::npos) {
        return false;
    }
    value = std::stoll(text);
    return true;
}

bool readSign(const std::string& text, int& side) {
    if (text != "+" && text != "-") {
        return false;
    }
    side = text == "+" ? 0 : 1;
    return true;
}

bool readYesNo(const std::string& text, int& value) {
    if (text != "YES" && text != "NO") {
        return false;
    }
    value = text == "YES" ? 1 : 0;
    return true;
}

template <typename T>
T pick(T own, T both, T otherwise) {
    return own >= 0 ? own : both >= 0 ? both : otherwise;
}

}  // namespace

bool GameSummaryReader::readLine(const std::string& line, std::string& error) {
    if (done_) {
        error = "a line after END Game_Summary: \"" + line + "\"";
        return false;
    }
    if (line.rfind("BEGIN ", 0) == 0) {
        const std::string name = line.substr(6);
        if (block_ != Block::Top) {
            error = "BEGIN " + name + " inside another block";
            return false;
        }
        if (name == "Time" || name == "Time+" || name == "Time-") {
            block_ = Block::Time;
            timeSide_ = name == "Time" ? -1 : name == "Time+" ? 0 : 1;
        } else if (name == "Position") {
            if (sawPosition_) {
                error = "a second Position block";
                return false;
            }
            block_ = Block::Position;
        } else {
            block_ = Block::Unknown;
            unknownBlock_ = name;
        }
        return true;
    }
    if (line.rfind("END ", 0) == 0) {
        const std::string name = line.substr(4);
        if (block_ == Block::Top) {
            if (name != "Game_Summary") {
                error = "END " + name + " without its BEGIN";
                return false;
            }
            done_ = true;
            return true;
        }
        const bool matches = block_ == Block::Time       ? name == (timeSide_ < 0    ? "Time"
                                                                    : timeSide_ == 0 ? "Time+"
                                                                                     : "Time-")
                             : block_ == Block::Position ? name == "Position"
                                                         : name == unknownBlock_;
        if (!matches) {
            error = "END " + name + " closes another block";
            return false;
        }
        if (block_ == Block::Position) {
            sawPosition_ = true;
        }
        block_ = Block::Top;
        return true;
    }
    if (block_ == Block::Unknown) {
        return true;
    }
    if (block_ == Block::Position) {
        if (CsaPositionReader::isPositionLine(line)) {
            if (!summary_.moves.empty()) {
                error = "a position line after the moves: \"" + line + "\"";
                return false;
            }
            positionLines_.push_back(line);
            return true;
        }
        if (!line.empty() && line[0] == '\'') {
            return true;
        }
        if (line.size() >= 7 && (line[0] == '+' || line[0] == '-')) {
            CsaPlayedMove move;
            move.text = line.substr(0, 7);
            const std::size_t time = line.find(",T", 7);
            if (line.size() > 7 && line[7] != ',') {
                error = "the move \"" + line + "\" cannot be read";
                return false;
            }
            if (time != std::string::npos) {
                const std::size_t end = line.find(',', time + 2);
                if (!readCount(
                        line.substr(time + 2, end == std::string::npos ? end : end - time - 2),
                        move.units)) {
                    error = "the time of the move \"" + line + "\" cannot be read";
                    return false;
                }
            }
            summary_.moves.push_back(move);
            return true;
        }
        error = "\"" + line + "\" is no line of a Position block";
        return false;
    }
    const std::size_t colon = line.find(':');
    if (colon == std::string::npos || colon == 0) {
        error = "\"" + line + "\" is no line of a Game_Summary";
        return false;
    }
    const std::string key = line.substr(0, colon);
    const std::string value = line.substr(colon + 1);
    if (block_ == Block::Time) {
        return readTimeLine(key, value, error);
    }
    bool ok = true;
    int flag = 0;
    long long count = 0;
    if (key == "Protocol_Version") {
        summary_.protocolVersion = value;
    } else if (key == "Protocol_Mode") {
        summary_.protocolMode = value;
    } else if (key == "Format") {
        summary_.format = value;
    } else if (key == "Declaration") {
        summary_.declaration = value;
    } else if (key == "Game_ID") {
        summary_.gameId = value;
        ok = !value.empty() && value.find(' ') == std::string::npos;
    } else if (key == "Name+") {
        summary_.names[0] = value;
    } else if (key == "Name-") {
        summary_.names[1] = value;
    } else if (key == "Your_Turn") {
        ok = readSign(value, summary_.ourSide);
        sawYourTurn_ = ok;
    } else if (key == "To_Move") {
        ok = readSign(value, summary_.toMove);
    } else if (key == "Rematch_On_Draw") {
        ok = readYesNo(value, flag);
        summary_.rematchOnDraw = flag == 1;
    } else if (key == "Max_Moves") {
        ok = readCount(value, count);
        summary_.maxMoves = static_cast<int>(count);
    } else {
        summary_.otherKeys.emplace_back(key, value);
    }
    if (!ok) {
        error = key + " cannot be \"" + value + "\"";
    }
    return ok;
}

bool GameSummaryReader::readTimeLine(const std::string& key, const std::string& value,
                                     std::string& error) {
    RawTime& raw = raw_[timeSide_ + 1];
    bool ok = true;
    if (key == "Time_Unit") {
        std::int64_t unitMs = 0;
        ok = parseCsaTimeUnit(value, unitMs);
        raw.unitMs = unitMs;
    } else if (key == "Total_Time") {
        ok = readCount(value, raw.total);
    } else if (key == "Byoyomi") {
        ok = readCount(value, raw.byoyomi);
    } else if (key == "Increment") {
        ok = readCount(value, raw.increment);
    } else if (key == "Least_Time_Per_Move") {
        ok = readCount(value, raw.least);
    } else if (key == "Time_Roundup") {
        ok = readYesNo(value, raw.roundUp);
    } else {
        // Delay, Remaining_Time+ and the like: kept, not acted on.
        summary_.otherKeys.emplace_back(key, value);
    }
    if (!ok) {
        error = key + " cannot be \"" + value + "\"";
    }
    return ok;
}

bool GameSummaryReader::finish(GameSummary& summary, std::string& error) {
    if (!done_) {
        error = "the Game_Summary has no end";
        return false;
    }
    if (summary_.gameId.empty()) {
        error = "the Game_Summary has no Game_ID";
        return false;
    }
    if (!sawYourTurn_) {
        error = "the Game_Summary does not say which side we play (Your_Turn)";
        return false;
    }
    if (!sawPosition_) {
        error = "the Game_Summary has no Position block";
        return false;
    }
    if (!readCsaPosition(positionLines_, summary_.start, error)) {
        error = "the Game_Summary's position: " + error;
        return false;
    }
    for (int side = 0; side < 2; ++side) {
        const RawTime& own = raw_[side + 1];
        const RawTime& both = raw_[0];
        CsaTimeControl& control = summary_.time[side];
        control.unitMs = pick(own.unitMs, both.unitMs, 1000LL);
        control.totalMs = pick(own.total, both.total, 0LL) * control.unitMs;
        control.byoyomiMs = pick(own.byoyomi, both.byoyomi, 0LL) * control.unitMs;
        control.incrementMs = pick(own.increment, both.increment, 0LL) * control.unitMs;
        control.leastMs = pick(own.least, both.least, 0LL) * control.unitMs;
        control.roundUp = pick(own.roundUp, both.roundUp, 0) == 1;
    }
    summary = summary_;
    return true;
}

}  // namespace ixo
