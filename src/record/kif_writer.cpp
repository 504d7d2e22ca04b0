#include "record/kif_writer.h"

#include <algorithm>
#include <cstdio>
#include <string_view>
#include <vector>

#include "record/kif_syntax.h"
#include "shogi/handicaps.h"
#include "shogi/notation.h"

namespace ixo {

namespace {

using std::string_view;

// The width of a move in a fixed-pitch font, where KIF's full-width characters take two
// columns; the longest move, "２二銀成(31)", takes 12, and the time column starts after 13.
constexpr int kMoveColumnWidth = 13;

// No move takes this long; counting past it would only carry the totals towards overflow.
constexpr std::int64_t kMostSeconds = 10'000'000'000LL;

constexpr string_view kDiagramFiles = "  ９ ８ ７ ６ ５ ４ ３ ２ １";
constexpr string_view kDiagramBorder = "+---------------------------+";

bool isHandKey(string_view key) {
    return key == "先手の持駒" || key == "後手の持駒" || key == "下手の持駒" || key == "上手の持駒";
}

// A move's whole seconds; a negative time (a clock set back) is none, and one past any game's
// length is cut to it, so the totals cannot overflow.
std::int64_t wholeSeconds(std::int64_t ms) {
    return ms > 0 ? std::min(ms / 1000, kMostSeconds) : 0;
}

// Laid out as the common writers do, so that readers which line the moves up by the column
// find it where they look: "   1 ７六歩(77)   ( 0:05/00:00:05)".
void appendTimedLine(std::string& text, int number, string_view move, std::int64_t seconds,
                     std::int64_t totalSeconds, bool branches) {
    char prefix[32];
    std::snprintf(prefix, sizeof prefix, "%4d ", number);
    text += prefix;
    text += move;
    text.append(std::max<int>(1, kMoveColumnWidth - displayWidth(move)), ' ');
    char column[96];
    std::snprintf(column, sizeof column, "(%2lld:%02lld/%02lld:%02lld:%02lld)",
                  static_cast<long long>(seconds / 60), static_cast<long long>(seconds % 60),
                  static_cast<long long>(totalSeconds / 3600),
                  static_cast<long long>(totalSeconds / 60 % 60),
                  static_cast<long long>(totalSeconds % 60));
    text += column;
    if (branches) {
        text += '+';
    }
    text += '\n';
}

// Header values come from files and from engines' names; a line break would end the line.
std::string oneLine(const std::string& value) {
    std::string line = value;
    std::replace(line.begin(), line.end(), '\n', ' ');
    return line;
}

std::string diagramText(const Position& position) {
    std::string text = "後手の持駒：" + handText(position.hands[1]) + "\n";
    text += kDiagramFiles;
    text += "\n";
    text += kDiagramBorder;
    text += "\n";
    for (int row = 0; row < kBoardSize; ++row) {
        text += "|";
        for (int column = 0; column < kBoardSize; ++column) {
            const Cell cell = position.board.cellAt(column, row);
            if (cell.piece > Empty && cell.piece <= King) {
                text += cell.owner == 1 ? "v" : " ";
                text += diagramPieceName(cell.piece);
            } else {
                text += " ・";
            }
        }
        text += "|";
        text += rankNumeral(row);
        text += "\n";
    }
    text += kDiagramBorder;
    text += "\n";
    text += "先手の持駒：" + handText(position.hands[0]) + "\n";
    if (position.sideToMove == 1) {
        text += "後手番\n";
    }
    return text;
}

// "まで77手で先手の勝ち": who won the main line, for the endings that name a winner or a draw.
std::string summaryText(const RecordNode& end, int firstMover, bool handicap) {
    const int side = end.mover(firstMover);
    int winner = -1;
    switch (end.end) {
        case LineEnd::Resignation:
        case LineEnd::Checkmate:
        case LineEnd::TimeUp:
        case LineEnd::FoulLoss:
            winner = 1 - side;
            break;
        case LineEnd::FoulWin:
        case LineEnd::ImpasseWin:
            winner = side;
            break;
        case LineEnd::Repetition:
            break;
        default:
            return "";
    }
    std::string text = "まで" + std::to_string(end.ply - 1) + "手で";
    if (winner < 0) {
        return text + "千日手\n";
    }
    if (end.end == LineEnd::TimeUp) {
        text += "時間切れにより";
    }
    const char* const names[2][2] = {{"先手", "後手"}, {"下手", "上手"}};
    text += names[handicap ? 1 : 0][winner];
    text += "の勝ち\n";
    return text;
}

}  // namespace

std::string writeKifRecord(const GameRecord& record) {
    const std::string handicap = handicapNameOf(record.start);
    std::string text;
    text.reserve(400 + record.nodeCount() * 48);
    // Readers that look for an encoding line take this one; the others skip it as a comment.
    text += "#KIF version=2.0 encoding=UTF-8\n";
    text += record.rules == RuleSet::Simple ? kSimpleRulesMarker : kStandardRulesMarker;
    text += "\n";
    bool handicapWritten = false;
    for (const RecordHeader& header : record.headers) {
        // The start is written from the record itself, so a diagram or a handicap line of the
        // record it came from never contradicts it.
        if (header.key == "手合割") {
            if (!handicap.empty() && !handicapWritten) {
                text += "手合割：" + handicap + "\n";
                handicapWritten = true;
            }
        } else if (!isHandKey(header.key) && header.key != "手番") {
            text += oneLine(header.key) + "：" + oneLine(header.value) + "\n";
        }
    }
    if (!handicap.empty() && !handicapWritten) {
        text += "手合割：" + handicap + "\n";
    }
    if (handicap.empty()) {
        text += diagramText(record.start);
    }
    text += "手数----指手---------消費時間--\n";
    appendKifNotes(text, record.root());

    const int firstMover = record.start.sideToMove;
    const bool handicapGame = !handicap.empty() && handicap != kEvenGameName;
    // Each mover's running total by ply along the line being written: in this order every
    // node's ancestors are the last nodes written at the plies before it.
    std::vector<std::int64_t> totals(1, 0);
    bool inMainLine = true;
    const RecordNode* node = record.root().mainChild();
    while (node) {
        if (node->parent->indexOf(node) != 0) {
            text += "\n変化：" + std::to_string(node->ply) + "手\n";
            inMainLine = false;
        }
        const std::int64_t seconds = wholeSeconds(node->time.usedMs);
        if (totals.size() <= static_cast<std::size_t>(node->ply)) {
            totals.resize(node->ply + 1, 0);
        }
        const std::int64_t total = (node->ply > 2 ? totals[node->ply - 2] : 0) + seconds;
        totals[node->ply] = total;
        const bool branches = node->parent && node->parent->children.back().get() != node;
        if (node->isEnd()) {
            const string_view word = node->sealed ? "封じ手" : lineEndWord(node->end);
            if (node->timed) {
                appendTimedLine(text, node->ply, word, seconds, total, branches);
            } else {
                char prefix[32];
                std::snprintf(prefix, sizeof prefix, "%4d ", node->ply);
                text += prefix;
                text += word;
                text += branches ? "+\n" : "\n";
            }
            if (inMainLine && record.rules == RuleSet::Standard) {
                text += summaryText(*node, firstMover, handicapGame);
            }
        } else {
            if (node->sealed) {
                char line[32];
                std::snprintf(line, sizeof line, "%4d 封じ手\n", node->ply);
                text += line;
            }
            const RecordNode* parent = node->parent;
            const Move* previous = parent->isRoot() || parent->isEnd() ? nullptr : &parent->move;
            appendTimedLine(text, node->ply, kifMoveText(node->move, previous), seconds, total,
                            branches);
        }
        appendKifNotes(text, *node);
        // Down the line first, then back up to the nearest line beside it.
        node = nextInWritingOrder(*node);
    }
    return text;
}

void setRecordHeader(GameRecord& record, const std::string& key, const std::string& value) {
    std::string clean = value;
    for (char& c : clean) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F) {
            c = ' ';
        }
    }
    for (RecordHeader& header : record.headers) {
        if (header.key == key) {
            header.value = clean;
            return;
        }
    }
    record.headers.push_back({key, clean});
}

void setPlayerName(GameRecord& record, int side, const std::string& name) {
    if (name.empty()) {
        return;
    }
    const char* const keys[2][2] = {{"先手", "下手"}, {"後手", "上手"}};
    const int which = side == 0 ? 0 : 1;
    for (const RecordHeader& header : record.headers) {
        if (header.key == keys[which][0] || header.key == keys[which][1]) {
            const std::string key = header.key;
            setRecordHeader(record, key, name);
            return;
        }
    }
    setRecordHeader(record, keys[which][0], name);
}

void setGameHeaders(GameRecord& record, const std::string& startTime) {
    const auto has = [&record](const char* one, const char* other) {
        for (const RecordHeader& header : record.headers) {
            if (header.key == one || header.key == other) {
                return true;
            }
        }
        return false;
    };
    if (!has("開始日時", "開始日時")) {
        record.headers.insert(record.headers.begin(), RecordHeader{"開始日時", startTime});
    }
    if (!has("手合割", "手合割")) {
        record.headers.push_back({"手合割", ""});
    }
    if (!has("先手", "下手")) {
        record.headers.push_back({"先手", "Blue"});
    }
    if (!has("後手", "上手")) {
        record.headers.push_back({"後手", "Red"});
    }
}

}  // namespace ixo
