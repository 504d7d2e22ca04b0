#include "record/ki2_writer.h"

#include <string_view>

#include "record/ki2_reader.h"
#include "record/kif_syntax.h"
#include "record/kif_writer.h"
#include "record/replay.h"
#include "shogi/handicaps.h"
#include "shogi/notation.h"
#include "shogi/standard_rules.h"

namespace ixo {

namespace {

using std::string_view;

constexpr int kMovesPerLine = 6;
// The columns a move takes with its padding: the longest, "▲５八金右上" or "△８七銀不成",
// fills them.
constexpr int kMoveColumns = 12;

int characters(string_view text) {
    int count = 0;
    for (const char c : text) {
        count += (static_cast<unsigned char>(c) & 0xC0) != 0x80 ? 1 : 0;
    }
    return count;
}

std::string summaryText(const RecordNode& end, int firstMover, bool handicap) {
    const int next = end.mover(firstMover);
    const char* const names[2][2] = {{"先手", "後手"}, {"下手", "上手"}};
    const std::string nextName = names[handicap ? 1 : 0][next];
    const std::string lastName = names[handicap ? 1 : 0][1 - next];
    std::string text = "まで" + std::to_string(end.ply - 1) + "手で";
    switch (end.end) {
        case LineEnd::Resignation:
            return text + lastName + "の勝ち";
        case LineEnd::TimeUp:
            return text + "時間切れにより" + lastName + "の勝ち";
        case LineEnd::ImpasseWin:
            return text + nextName + "の入玉勝ち";
        case LineEnd::FoulWin:
            return text + nextName + "の反則勝ち";
        case LineEnd::FoulLoss:
            return text + nextName + "の反則負け";
        default:
            return text + std::string(lineEndWord(end.end));
    }
}

// The header of a KIF record of the same game, which KI2 shares line for line: the KIF
// writer's, so the start, the handicap and the diagram are written one way in both.
std::string headerText(const GameRecord& record) {
    GameRecord empty;
    empty.rules = record.rules;
    empty.start = record.start;
    empty.handicap = record.handicap;
    empty.headers = record.headers;
    const std::string kif = writeKifRecord(empty);
    string_view text = kif;
    const std::size_t firstLine = text.find('\n');
    // The move table closes the KIF header; a header's own text may hold the same characters.
    const std::size_t table = text.rfind("手数----");
    std::string header = "#KI2 version=2.0 encoding=UTF-8\n";
    header += text.substr(firstLine + 1, table - firstLine - 1);
    return header;
}

}  // namespace

std::string ki2MoveText(const Position& before, const Move& move, const Move* previous) {
    std::string text = move.owner == 0 ? "▲" : "△";
    const bool same =
        previous && previous->toColumn == move.toColumn && previous->toRow == move.toRow;
    text += same ? std::string("同　") : squareName(move.toColumn, move.toRow);
    text += kifPieceName(move.piece);
    const int side = move.owner;
    // The pieces of the kind that reach the square by their movement, a pinned one too:
    // published games count it, and readers that do not judge pins need the words it costs.
    std::vector<Ki2Origin> origins;
    for (int square = 0; square < kSquareCount; ++square) {
        const Cell cell = before.board.cells[square];
        if (cell.piece != move.piece || cell.owner != side) {
            continue;
        }
        MoveRequest request;
        request.fromColumn = square % kBoardSize;
        request.fromRow = square / kBoardSize;
        request.toColumn = move.toColumn;
        request.toRow = move.toRow;
        for (const bool promote : {false, true}) {
            request.promote = promote;
            const Refusal why = judgeMove(before, request);
            if (why == Refusal::None || why == Refusal::LeavesKingInCheck) {
                origins.push_back({request.fromColumn, request.fromRow});
                break;
            }
        }
    }
    if (move.dropped) {
        // 打 only where a piece on the board could have gone instead.
        return origins.empty() ? text : text + "打";
    }
    const auto picksMover = [&](const Ki2Move& words) {
        const std::vector<Ki2Origin> picked =
            ki2Picked(origins, words, side, move.toColumn, move.toRow);
        return picked.size() == 1 && picked[0].column == move.fromColumn &&
               picked[0].row == move.fromRow;
    };
    const int forward = side == 0 ? move.fromRow - move.toRow : move.toRow - move.fromRow;
    const bool longRange = move.piece == PromotedRook || move.piece == PromotedBishop;
    Ki2Move none;
    Ki2Move motion;
    motion.forward = forward > 0;
    motion.back = forward < 0;
    motion.sideways = forward == 0;
    const std::string motionWord = forward > 0 ? "上" : forward < 0 ? "引" : "寄";
    // The word for where it stands among the pieces `group` leaves.
    const auto placed = [&](Ki2Move group, std::string& word) {
        if (!longRange && move.fromColumn == move.toColumn && forward > 0) {
            group.straight = true;
            word = "直";
            return picksMover(group);
        }
        group.right = true;
        word = "右";
        if (picksMover(group)) {
            return true;
        }
        group.right = false;
        group.left = true;
        word = "左";
        return picksMover(group);
    };
    std::string word;
    Ki2Move straight;
    straight.straight = true;
    if (origins.size() <= 1 || picksMover(none)) {
        word.clear();
    } else if (!longRange && move.fromColumn == move.toColumn && forward > 0 &&
               picksMover(straight)) {
        // A gold or silver going straight forward is 直 even where 上 would do.
        word = "直";
    } else if (picksMover(motion)) {
        word = motionWord;
    } else if (placed(none, word)) {
    } else if (placed(motion, word)) {
        word += motionWord;
    } else {
        word.clear();
    }
    text += word;
    if (move.promoted) {
        text += "成";
    } else if (move.piece >= Pawn && move.piece <= Silver && move.piece % 2 == 1 &&
               promotionFor(before, move.fromColumn, move.fromRow, move.toColumn, move.toRow) ==
                   Promotion::Optional) {
        text += "不成";
    }
    return text;
}

bool writeKi2Record(const GameRecord& record, std::string& text, std::string& error,
                    std::vector<std::string>& warnings) {
    if (record.rules != RuleSet::Standard) {
        error =
            "a game of the simple rules cannot be written as KI2: its readers would play "
            "it as standard shogi";
        return false;
    }
    // What KI2 cannot keep (times, evaluations) is said by the caller, as for every format.
    (void)warnings;
    text = headerText(record);
    text += "\n";
    appendKifNotes(text, record.root());
    const int firstMover = record.start.sideToMove;
    const std::string handicap = handicapNameOf(record.start);
    const bool handicapGame = !handicap.empty() && handicap != kEvenGameName;

    int inLine = 0;
    int lastWidth = 0;
    const auto endLine = [&]() {
        if (inLine > 0) {
            text += '\n';
        }
        inLine = 0;
    };
    Position position = record.start;
    const RecordNode* node = record.root().mainChild();
    while (node) {
        if (node->parent->indexOf(node) != 0) {
            endLine();
            text += "\n変化：" + std::to_string(node->ply) + "手\n";
            position = positionAt(record, *node->parent);
        }
        if (node->isEnd()) {
            endLine();
            text += summaryText(*node, firstMover, handicapGame) + "\n";
        } else {
            const RecordNode* parent = node->parent;
            const Move* previous = parent->isRoot() || parent->isEnd() ? nullptr : &parent->move;
            const std::string move = ki2MoveText(position, node->move, previous);
            if (inLine > 0) {
                text.append(static_cast<std::size_t>(std::max(0, kMoveColumns - lastWidth * 2)),
                            ' ');
            }
            text += move;
            lastWidth = characters(move);
            if (++inLine >= kMovesPerLine) {
                endLine();
            }
            applyRecordedMove(record.rules, position, node->move);
        }
        if (!node->comment.empty() || !node->bookmark.empty()) {
            endLine();
            appendKifNotes(text, *node);
        }
        node = nextInWritingOrder(*node);
    }
    endLine();
    return true;
}

}  // namespace ixo
