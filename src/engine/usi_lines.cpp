#include "engine/usi_lines.h"

#include <cerrno>
#include <cstdlib>
#include <sstream>

namespace ixo {

namespace {

std::vector<std::string> wordsOf(const std::string& line) {
    std::vector<std::string> words;
    std::istringstream stream(line);
    std::string word;
    while (stream >> word) {
        words.push_back(word);
    }
    return words;
}

// Numbers come from another program: out of range or not a number leaves `value` as it was.
bool readNumber(const std::string& text, std::int64_t& value) {
    if (text.empty()) {
        return false;
    }
    errno = 0;
    char* end = nullptr;
    const long long number = std::strtoll(text.c_str(), &end, 10);
    if (errno != 0 || *end != '\0') {
        return false;
    }
    value = number;
    return true;
}

bool readInt(const std::string& text, int& value) {
    std::int64_t number = 0;
    if (!readNumber(text, number) || number < -1000000000 || number > 1000000000) {
        return false;
    }
    value = static_cast<int>(number);
    return true;
}

std::string joined(const std::vector<std::string>& words, std::size_t from, std::size_t to) {
    std::string text;
    for (std::size_t index = from; index < to && index < words.size(); ++index) {
        if (!text.empty()) {
            text += ' ';
        }
        text += words[index];
    }
    return text;
}

Score readScore(const std::vector<std::string>& words, std::size_t& index) {
    Score score;
    const std::string& kind = words[index];
    const std::string value = index + 1 < words.size() ? words[index + 1] : std::string();
    if (kind == "cp") {
        int centipawns = 0;
        if (readInt(value, centipawns)) {
            ++index;
            if (centipawns >= kMateCentipawns || centipawns <= -kMateCentipawns) {
                score.kind = Score::Kind::Mate;
                score.matingSide = centipawns > 0;
            } else {
                score.kind = Score::Kind::Centipawns;
                score.centipawns = centipawns;
            }
        }
    } else if (kind == "mate") {
        int plies = 0;
        if (value == "+" || value == "-") {
            ++index;
            score.kind = Score::Kind::Mate;
            score.matingSide = value == "+";
        } else if (readInt(value, plies)) {
            ++index;
            score.kind = Score::Kind::Mate;
            // "mate -0" is how some engines say they are mated now; its sign is in the text.
            score.matingSide = plies > 0 || (plies == 0 && value[0] != '-');
            score.mateIn = plies < 0 ? -plies : plies;
        }
    }
    return score;
}

SearchInfo readInfo(const std::vector<std::string>& words) {
    SearchInfo info;
    for (std::size_t index = 1; index < words.size(); ++index) {
        const std::string& key = words[index];
        const bool hasValue = index + 1 < words.size();
        if (key == "pv") {
            info.principalVariation.assign(words.begin() + static_cast<long>(index) + 1,
                                           words.end());
            break;
        }
        if (key == "string") {
            info.text = joined(words, index + 1, words.size());
            break;
        }
        if (key == "score" && hasValue) {
            ++index;
            info.score = readScore(words, index);
        } else if ((key == "lowerbound" || key == "upperbound") &&
                   info.score.kind != Score::Kind::None) {
            info.score.bound = true;
        } else if (key == "depth" && hasValue) {
            index += readInt(words[index + 1], info.depth) ? 1 : 0;
        } else if (key == "seldepth" && hasValue) {
            index += readInt(words[index + 1], info.selectiveDepth) ? 1 : 0;
        } else if (key == "time" && hasValue) {
            index += readNumber(words[index + 1], info.timeMs) ? 1 : 0;
        } else if (key == "nodes" && hasValue) {
            index += readNumber(words[index + 1], info.nodes) ? 1 : 0;
        } else if (key == "currmove" && hasValue) {
            info.currentMove = words[++index];
        } else if (key == "multipv" && hasValue) {
            index += readInt(words[index + 1], info.multiPv) ? 1 : 0;
        } else if ((key == "nps" || key == "hashfull" || key == "tbhits" || key == "cpuload" ||
                    key == "currmovenumber") &&
                   hasValue) {
            ++index;
        }
    }
    return info;
}

EngineOption readOption(const std::string& line) {
    EngineOption option;
    const std::size_t nameAt = line.find(" name ");
    const std::size_t typeAt = line.find(" type ", nameAt == std::string::npos ? 0 : nameAt);
    if (nameAt == std::string::npos || typeAt == std::string::npos) {
        return option;
    }
    const std::size_t nameBegin = nameAt + 6;
    option.name = line.substr(nameBegin, typeAt > nameBegin ? typeAt - nameBegin : 0);
    while (!option.name.empty() && option.name.back() == ' ') {
        option.name.pop_back();
    }
    const std::vector<std::string> words = wordsOf(line.substr(typeAt + 6));
    if (words.empty()) {
        return option;
    }
    option.type = words[0];
    // A value runs up to the next keyword, so defaults and choices may hold spaces.
    std::string* field = nullptr;
    for (std::size_t index = 1; index < words.size(); ++index) {
        const std::string& word = words[index];
        if (word == "default") {
            field = &option.defaultValue;
        } else if (word == "min") {
            field = &option.min;
        } else if (word == "max") {
            field = &option.max;
        } else if (word == "var") {
            option.choices.emplace_back();
            field = &option.choices.back();
        } else if (field) {
            if (!field->empty()) {
                *field += ' ';
            }
            *field += word;
        }
    }
    return option;
}

bool holdsControlBytes(const std::string& line) {
    for (const char character : line) {
        const auto byte = static_cast<unsigned char>(character);
        if ((byte < 0x20 && byte != '\t') || byte == 0x7f) {
            return true;
        }
    }
    return false;
}

}  // namespace

Score Score::fromBlue(int sideToMove) const {
    Score score = *this;
    if (sideToMove != 0) {
        score.centipawns = -centipawns;
        score.matingSide = !matingSide;
    }
    return score;
}

EngineLine parseEngineLine(const std::string& text) {
    EngineLine line;
    if (holdsControlBytes(text)) {
        line.kind = EngineLine::Kind::Garbage;
        return line;
    }
    const std::vector<std::string> words = wordsOf(text);
    if (words.empty()) {
        return line;
    }
    const std::string& command = words[0];
    if (command == "usiok") {
        line.kind = EngineLine::Kind::UsiOk;
    } else if (command == "readyok") {
        line.kind = EngineLine::Kind::ReadyOk;
    } else if (command == "id" && words.size() >= 2 &&
               (words[1] == "name" || words[1] == "author")) {
        line.kind = words[1] == "name" ? EngineLine::Kind::IdName : EngineLine::Kind::IdAuthor;
        // Names keep their own spacing: "gpsshogi (smp) vm r3033".
        const std::size_t at = text.find(words[1]) + words[1].size();
        line.text = text.substr(at);
        line.text.erase(0, line.text.find_first_not_of(" \t"));
    } else if (command == "option") {
        line.option = readOption(text);
        line.kind = line.option.name.empty() ? EngineLine::Kind::Unknown : EngineLine::Kind::Option;
    } else if (command == "info") {
        line.kind = EngineLine::Kind::Info;
        line.info = readInfo(words);
    } else if (command == "bestmove") {
        // A bestmove without a move is the one answer that cannot be read past: the search
        // is over and there is nothing to play.
        if (words.size() < 2) {
            line.kind = EngineLine::Kind::Garbage;
        } else if (words[1] == "resign") {
            line.kind = EngineLine::Kind::Resign;
        } else if (words[1] == "win") {
            line.kind = EngineLine::Kind::Win;
        } else {
            line.kind = EngineLine::Kind::BestMove;
            line.text = words[1];
            if (words.size() >= 4 && words[2] == "ponder") {
                line.ponderMove = words[3];
            }
        }
    }
    return line;
}

}  // namespace ixo
