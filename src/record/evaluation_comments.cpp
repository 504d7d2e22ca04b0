#include "record/evaluation_comments.h"

#include <cerrno>
#include <cstdlib>
#include <vector>

#include "shogi/notation.h"

namespace ixo {

namespace {

constexpr std::string_view kScoreKey = "#評価値=";
constexpr std::string_view kMateKey = "#詰み=";
constexpr std::string_view kLineKey = "#読み筋=";
constexpr std::string_view kBlueWins = "先手勝ち";
constexpr std::string_view kRedWins = "後手勝ち";
// The labels ShogiHome gives, weakest first; any other 【...】 line is the player's own.
constexpr std::string_view kLabels[] = {"【緩手】", "【疑問手】", "【悪手】", "【大悪手】"};

std::vector<std::string> linesOf(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t begin = 0;
    while (begin <= text.size()) {
        const std::size_t end = text.find('\n', begin);
        lines.push_back(
            text.substr(begin, end == std::string::npos ? std::string::npos : end - begin));
        if (end == std::string::npos) {
            break;
        }
        begin = end + 1;
    }
    return lines;
}

// A whole number in range and nothing after it but spaces; ShogiHome writes integers.
bool readWhole(std::string_view text, long long limit, long long& value) {
    const std::string digits(trimmed(text));
    if (digits.empty() || digits.size() > 12) {
        return false;
    }
    errno = 0;
    char* end = nullptr;
    const long long number = std::strtoll(digits.c_str(), &end, 10);
    if (errno != 0 || *end != '\0' || end == digits.c_str() || number > limit || number < -limit) {
        return false;
    }
    value = number;
    return true;
}

bool readScore(std::string_view text, Evaluation& evaluation) {
    long long centipawns = 0;
    if (!consume(text, kScoreKey) || !readWhole(text, kUnknownMateCentipawns, centipawns)) {
        return false;
    }
    evaluation.centipawns = static_cast<std::int32_t>(centipawns);
    evaluation.mateIn = 0;
    return true;
}

bool readMate(std::string_view text, Evaluation& evaluation) {
    if (!consume(text, kMateKey)) {
        return false;
    }
    int sign = 0;
    if (consume(text, kBlueWins)) {
        sign = 1;
    } else if (consume(text, kRedWins)) {
        sign = -1;
    } else {
        return false;
    }
    long long plies = 0;
    if (consume(text, ":")) {
        if (!endsWith(text, "手")) {
            return false;
        }
        text.remove_suffix(std::string_view("手").size());
        if (!readWhole(text, 10000, plies) || plies < 0) {
            return false;
        }
    } else if (!trimmed(text).empty()) {
        return false;
    }
    evaluation.centipawns = sign * kUnknownMateCentipawns;
    evaluation.mateIn = static_cast<std::int32_t>(sign * plies);
    return true;
}

bool isLabelLine(std::string_view line) {
    for (const std::string_view label : kLabels) {
        if (trimmed(line) == label) {
            return true;
        }
    }
    return false;
}

}  // namespace

bool isEvaluationLine(const std::string& line) {
    Evaluation ignored;
    return readScore(line, ignored) || readMate(line, ignored) || startsWith(line, kLineKey) ||
           isLabelLine(line);
}

bool readEvaluationComment(const std::string& comment, Evaluation& evaluation) {
    Evaluation read;
    bool scored = false;
    bool mated = false;
    for (const std::string& line : linesOf(comment)) {
        Evaluation value;
        // A mate says more than a score, whichever line comes first.
        if (readMate(line, value)) {
            read.centipawns = value.centipawns;
            read.mateIn = value.mateIn;
            mated = true;
        } else if (!mated && readScore(line, value)) {
            read.centipawns = value.centipawns;
            scored = true;
        } else if (startsWith(line, kLineKey)) {
            read.line = std::string(trimmed(std::string_view(line).substr(kLineKey.size())));
        }
    }
    if (!scored && !mated) {
        return false;
    }
    evaluation = read;
    return true;
}

void readEvaluationComments(GameRecord& record) {
    std::vector<RecordNode*> pending{&record.root()};
    while (!pending.empty()) {
        RecordNode* node = pending.back();
        pending.pop_back();
        if (!node->comment.empty() && readEvaluationComment(node->comment, node->evaluation)) {
            node->evaluated = true;
        }
        for (const auto& child : node->children) {
            pending.push_back(child.get());
        }
    }
}

std::string withEvaluationLines(const std::string& comment, const Evaluation& evaluation,
                                const std::string& label) {
    std::string text;
    if (!comment.empty()) {
        for (const std::string& line : linesOf(comment)) {
            if (!isEvaluationLine(line)) {
                text += line;
                text += '\n';
            }
        }
    }
    if (!label.empty()) {
        text += "【" + label + "】\n";
    }
    const bool mate = evaluation.mateIn != 0 || evaluation.centipawns >= kUnknownMateCentipawns ||
                      evaluation.centipawns <= -kUnknownMateCentipawns;
    if (mate) {
        const bool blue =
            evaluation.mateIn != 0 ? evaluation.mateIn > 0 : evaluation.centipawns > 0;
        text += std::string(kMateKey) + std::string(blue ? kBlueWins : kRedWins);
        if (evaluation.mateIn != 0) {
            text += ":" + std::to_string(std::abs(evaluation.mateIn)) + "手";
        }
        text += '\n';
    } else {
        text += std::string(kScoreKey) + std::to_string(evaluation.centipawns) + '\n';
    }
    if (!evaluation.line.empty()) {
        text += std::string(kLineKey) + evaluation.line + '\n';
    }
    text.pop_back();  // comments are joined by '\n', with no line end after the last
    return text;
}

}  // namespace ixo
