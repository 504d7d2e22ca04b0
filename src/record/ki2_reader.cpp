#include "record/ki2_reader.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "record/evaluation_comments.h"
#include "record/kif_syntax.h"
#include "record/replay.h"
#include "record/tree_building.h"
#include "shogi/notation.h"

namespace ixo {

namespace {

using std::string_view;

constexpr std::size_t kMaxLineBytes = 8192;

// ▼ and ▽ are what some writers use where ▲ and △ would be taken for the players' colours.
bool takeMark(string_view& text, int& mark) {
    if (consume(text, "▲")) {
        mark = 0;
    } else if (consume(text, "△")) {
        mark = 1;
    } else if (consume(text, "▼") || consume(text, "▽")) {
        mark = -1;
    } else {
        return false;
    }
    return true;
}

bool startsWithMark(string_view text) {
    int mark = 0;
    return takeMark(text, mark);
}

// How far `side` moved forward going between the rows, from its own side of the board.
int forwardRows(int side, int fromRow, int toRow) {
    return side == 0 ? fromRow - toRow : toRow - fromRow;
}

// Larger is further right as `side` sees the board from behind its pieces.
int rightness(int side, int column) {
    return side == 0 ? column : -column;
}

class Ki2Reader : TreeBuilding {
  public:
    explicit Ki2Reader(RecordReading& result) : TreeBuilding(result) {}

    bool start(const std::string& header, int lines);
    bool readLine(string_view raw, int number);

  private:
    bool readMoves(string_view line);
    bool readSummary(string_view text);
};

// The lines before the first move are KIF's own header, read by the KIF reader so that both
// formats take handicaps, diagrams and hands alike; a move table closes it.
bool Ki2Reader::start(const std::string& header, int lines) {
    RecordReading reading =
        readKifRecord(header + "\n" + kStandardRulesMarker + "\n手数----指手---------消費時間--\n");
    if (!reading.ok()) {
        result_.errorLine = std::min(reading.errorLine, std::max(lines, 1));
        result_.error = reading.error;
        return false;
    }
    if (reading.record.rules != RuleSet::Standard) {
        lineNumber_ = 1;
        return fail("a KI2 record is a game of standard shogi, but this one is marked otherwise");
    }
    result_.warnings = std::move(reading.warnings);
    record_ = std::move(reading.record);
    current_ = &record_.root();
    position_ = record_.start;
    game_ = StandardGame(record_.start);
    return true;
}

bool Ki2Reader::readLine(string_view raw, int number) {
    lineNumber_ = number;
    const string_view text = trimmed(raw);
    if (startsWithMark(text)) {
        if (skipping_) {
            return true;
        }
        if (closed_) {
            return fault("a move after the line ended");
        }
        return readMoves(text);
    }
    const KifLine line = scanKifLine(raw);
    switch (line.kind) {
        case KifLineKind::Blank:
        case KifLineKind::Program:
            return true;
        case KifLineKind::Comment:
            if (!skipping_) {
                std::string& comment = current_->comment;
                if (!comment.empty()) {
                    comment += '\n';
                }
                comment += line.text;
            }
            return true;
        case KifLineKind::Bookmark:
            if (!skipping_) {
                current_->bookmark = bookmarkText(line.text);
            }
            return true;
        case KifLineKind::Variation:
            openVariation(line.number);
            return true;
        case KifLineKind::Summary:
            if (skipping_ || closed_) {
                return true;
            }
            return readSummary(line.text);
        case KifLineKind::Header:
            // Some writers put the end time after the moves.
            if (!line.text.empty()) {
                record_.headers.push_back({std::string(line.key), std::string(line.text)});
            }
            return true;
        default:
            break;
    }
    if (skipping_) {
        return true;
    }
    return fault(shownInRefusal(text) + " is not a line of a KI2 record");
}

bool Ki2Reader::readMoves(string_view line) {
    while (!line.empty()) {
        skipSpaces(line);
        if (line.empty()) {
            break;
        }
        const string_view start = line;
        Ki2Move move;
        std::string why;
        const std::string number = std::to_string(current_->ply + 1);
        if (!takeKi2Move(line, move, why)) {
            return fault("move " + number + " " +
                         shownInRefusal(start.substr(0, start.size() - line.size())) + ": " + why);
        }
        const string_view written = start.substr(0, start.size() - line.size());
        if (mainLineFull()) {
            return fail("more than " + std::to_string(kKifMaxMoves) + " moves");
        }
        if (tooManyNodes()) {
            return fault("more than " + std::to_string(kKifMaxNodes) + " moves in the record");
        }
        const Move* previous = current_->isRoot() ? nullptr : &current_->move;
        MoveRequest request;
        if (!resolveKi2Move(position_, move, previous, request, why)) {
            return fault("move " + number + " " + shownInRefusal(written) + ": " + why);
        }
        // Through the one replay every format shares, so the game judges mate and repetition.
        const WrittenMove replayed = writtenMoveOf(position_, request, written);
        Move made;
        if (!replayWrittenMove(RuleSet::Standard, position_, replayed, nullptr, made, why,
                               inMainLine_ ? &game_ : nullptr)) {
            return fault("move " + number + " " + shownInRefusal(written) + ": " + why);
        }
        placeMove(made);
    }
    return true;
}

// "まで107手で上手の勝ち", "まで3手で中断": how the line ended, in words.
bool Ki2Reader::readSummary(string_view text) {
    consume(text, "まで");
    while (!text.empty() && text.front() >= '0' && text.front() <= '9') {
        text.remove_prefix(1);
    }
    consume(text, "手");
    consume(text, "で");
    std::string words;
    for (string_view rest = text; !rest.empty();) {
        skipSpaces(rest);
        const std::size_t space = std::min(rest.find(' '), rest.find("　"));
        words += rest.substr(0, space);
        rest.remove_prefix(space == string_view::npos ? rest.size() : space);
    }
    const string_view said = words;
    const int side = position_.sideToMove;
    int named = side;
    if (startsWith(said, "先手") || startsWith(said, "下手")) {
        named = 0;
    } else if (startsWith(said, "後手") || startsWith(said, "上手")) {
        named = 1;
    }
    LineEnd end = LineEnd::None;
    if (startsWith(said, "時間切れ")) {
        end = LineEnd::TimeUp;
    } else if (endsWith(said, "反則勝ち")) {
        end = named == side ? LineEnd::FoulWin : LineEnd::FoulLoss;
    } else if (endsWith(said, "反則負け")) {
        end = named == side ? LineEnd::FoulLoss : LineEnd::FoulWin;
    } else if (endsWith(said, "入玉勝ち")) {
        end = LineEnd::ImpasseWin;
    } else if (endsWith(said, "勝ち")) {
        end = LineEnd::Resignation;
    } else if (said == "詰") {
        end = LineEnd::Checkmate;
    } else {
        end = lineEndOfWord(said);
    }
    closed_ = true;
    if (end == LineEnd::None) {
        warn("the closing line says no ending this reader knows; it is left out");
        return true;
    }
    if (current_->isRoot() && inMainLine_ && end == LineEnd::Resignation) {
        // "まで0手で…" before any move says nothing a game could go on from.
        return true;
    }
    placeEnd(end);
    return true;
}

}  // namespace

std::vector<Ki2Origin> ki2Picked(const std::vector<Ki2Origin>& origins, const Ki2Move& move,
                                 int side, int toColumn, int toRow) {
    std::vector<Ki2Origin> kept;
    for (const Ki2Origin& origin : origins) {
        const int forward = forwardRows(side, origin.row, toRow);
        if ((move.forward && forward <= 0) || (move.back && forward >= 0) ||
            (move.sideways && forward != 0)) {
            continue;
        }
        kept.push_back(origin);
    }
    if (!move.right && !move.left && !move.straight) {
        return kept;
    }
    // Right and left are among the pieces the way of moving left, as published games count.
    int most = -100, least = 100;
    for (const Ki2Origin& origin : kept) {
        most = std::max(most, rightness(side, origin.column));
        least = std::min(least, rightness(side, origin.column));
    }
    std::vector<Ki2Origin> result;
    for (const Ki2Origin& origin : kept) {
        const int across = rightness(side, origin.column);
        if ((move.right && across != most) || (move.left && across != least) ||
            (move.straight &&
             (origin.column != toColumn || forwardRows(side, origin.row, toRow) <= 0))) {
            continue;
        }
        result.push_back(origin);
    }
    return result;
}

bool takeKi2Move(string_view& text, Ki2Move& move, std::string& why) {
    move = Ki2Move{};
    string_view rest = text;
    if (!takeMark(rest, move.mark)) {
        why = "not a move";
        return false;
    }
    if (consume(rest, "同")) {
        move.same = true;
        skipSpaces(rest);
    } else {
        const int file = takeFile(rest);
        const int rank = file ? takeRank(rest) : 0;
        if (rank == 0) {
            why = "not a move";
            return false;
        }
        move.toColumn = columnOfFile(file);
        move.toRow = rank - 1;
    }
    move.piece = takePiece(rest);
    if (move.piece == Empty) {
        why = "unknown piece name";
        return false;
    }
    for (;;) {
        if (consume(rest, "右")) {
            move.right = true;
        } else if (consume(rest, "左")) {
            move.left = true;
        } else if (consume(rest, "直")) {
            move.straight = true;
        } else if (consume(rest, "上") || consume(rest, "行")) {
            move.forward = true;
        } else if (consume(rest, "引")) {
            move.back = true;
        } else if (consume(rest, "寄")) {
            move.sideways = true;
        } else if (consume(rest, "打")) {
            move.drop = true;
        } else if (consume(rest, "不成") || consume(rest, "生")) {
            move.declinesPromotion = true;
        } else if (consume(rest, "成")) {
            move.promotes = true;
        } else {
            break;
        }
    }
    if (move.promotes && move.declinesPromotion) {
        why = "成 and 不成 both";
        return false;
    }
    if (!rest.empty() && !startsWithMark(rest) && rest.front() != ' ' && rest.front() != '\t' &&
        !startsWith(rest, "　")) {
        why = "unexpected text after the move";
        return false;
    }
    text = rest;
    return true;
}

bool resolveKi2Move(const Position& position, const Ki2Move& move, const Move* previous,
                    MoveRequest& request, std::string& why) {
    const int side = position.sideToMove;
    if (move.mark >= 0 && move.mark != side) {
        why = std::string(move.mark == 0 ? "▲" : "△") + " marks a move of " + sideName(move.mark) +
              ", but it is " + sideName(side) + "'s turn";
        return false;
    }
    int toColumn = move.toColumn, toRow = move.toRow;
    if (move.same) {
        if (!previous) {
            why = "同 with no move before it";
            return false;
        }
        toColumn = previous->toColumn;
        toRow = previous->toRow;
    }
    const std::string name = englishPieceName(move.piece);
    const std::string square = squareName(toColumn, toRow);
    std::vector<MoveRequest> legal;
    legalMoves(position, legal);
    std::vector<Ki2Origin> origins;
    bool dropAllowed = false;
    for (const MoveRequest& candidate : legal) {
        if (candidate.toColumn != toColumn || candidate.toRow != toRow) {
            continue;
        }
        if (candidate.isDrop()) {
            dropAllowed = dropAllowed || candidate.dropPiece == move.piece;
            continue;
        }
        if (position.board.cellAt(candidate.fromColumn, candidate.fromRow).piece != move.piece) {
            continue;
        }
        const bool known = std::any_of(origins.begin(), origins.end(), [&](const Ki2Origin& o) {
            return o.column == candidate.fromColumn && o.row == candidate.fromRow;
        });
        if (!known) {
            origins.push_back({candidate.fromColumn, candidate.fromRow});
        }
    }
    const bool placed =
        move.right || move.left || move.straight || move.forward || move.back || move.sideways;
    // A drop is written 打 when a piece on the board could go there too, and plainly when
    // none could.
    if (move.drop || (origins.empty() && dropAllowed && !placed)) {
        if (!dropAllowed) {
            why = "no " + name + " can be dropped on " + square;
            return false;
        }
        if (placed || move.promotes || move.declinesPromotion) {
            why = "a drop is not moved or promoted";
            return false;
        }
        request = MoveRequest{};
        request.dropPiece = move.piece;
        request.toColumn = toColumn;
        request.toRow = toRow;
        return true;
    }
    if (origins.empty()) {
        why = "no " + name + " of " + sideName(side) + " can move to " + square;
        return false;
    }
    const std::vector<Ki2Origin> chosen = ki2Picked(origins, move, side, toColumn, toRow);
    if (chosen.empty()) {
        why = "no " + name + " can move to " + square + " as the words after it say";
        return false;
    }
    if (chosen.size() > 1) {
        why = std::to_string(chosen.size()) + " " + name + "s can move to " + square +
              ", and the move does not say which";
        return false;
    }
    for (const MoveRequest& candidate : legal) {
        if (!candidate.isDrop() && candidate.fromColumn == chosen[0].column &&
            candidate.fromRow == chosen[0].row && candidate.toColumn == toColumn &&
            candidate.toRow == toRow && candidate.promote == move.promotes) {
            request = candidate;
            return true;
        }
    }
    why = move.promotes ? "成, but the " + name + " cannot promote on that move"
                        : "the " + name + " must promote there, and the move has no 成";
    return false;
}

RecordReading readKi2Record(const std::string& utf8Text) {
    RecordReading result;
    if (utf8Text.size() > kKifMaxTextBytes) {
        result.error = "the record is too long";
        return result;
    }
    string_view text(utf8Text);
    consume(text, "\xEF\xBB\xBF");
    std::vector<string_view> lines;
    while (!text.empty()) {
        const string_view line = takeRecordLine(text);
        if (line.size() > kMaxLineBytes) {
            result.errorLine = static_cast<int>(lines.size()) + 1;
            result.error = "line too long";
            return result;
        }
        lines.push_back(line);
    }
    std::size_t first = 0;
    while (first < lines.size() && !startsWithMark(trimmed(lines[first]))) {
        ++first;
    }
    if (first == lines.size()) {
        result.errorLine = 1;
        result.error = "not a KI2 record: it has no moves";
        return result;
    }
    std::string header;
    for (std::size_t index = 0; index < first; ++index) {
        // The header is KIF's, but a numbered move in it would start the game twice over.
        const KifLineKind kind = scanKifLine(lines[index]).kind;
        if (kind == KifLineKind::Move || kind == KifLineKind::Special ||
            kind == KifLineKind::Sealed) {
            result.errorLine = static_cast<int>(index) + 1;
            result.error = "a numbered KIF move line before the moves of a KI2 record";
            return result;
        }
        header += lines[index];
        header += '\n';
    }
    Ki2Reader reader(result);
    if (!reader.start(header, static_cast<int>(first))) {
        return result;
    }
    for (std::size_t index = first; index < lines.size(); ++index) {
        if (!reader.readLine(lines[index], static_cast<int>(index) + 1)) {
            break;
        }
    }
    // Verdicts another program wrote as comments show again without another analysis.
    readEvaluationComments(result.record);
    return result;
}

}  // namespace ixo
