#include "record/kif_reader.h"

#include <array>
#include <string_view>
#include <utility>

#include "record/evaluation_comments.h"
#include "record/kif_syntax.h"
#include "record/replay.h"
#include "record/tree_building.h"
#include "shogi/handicaps.h"
#include "shogi/notation.h"
#include "shogi/standard_rules.h"

namespace ixo {

namespace {

using std::string_view;

// Longer lines are refused outright; real records stay far below this even in comments.
constexpr std::size_t kMaxLineBytes = 8192;

bool isHandKey(string_view key) {
    return key == "先手の持駒" || key == "後手の持駒" || key == "下手の持駒" || key == "上手の持駒";
}

// Whose hand a 持駒 line is: 先手 and 下手 are Blue, 後手 and 上手 Red.
int sideOfKey(string_view key) {
    return startsWith(key, "後手") || startsWith(key, "上手") ? 1 : 0;
}

// The rules a record was played under, as far as its text tells before reading a move.
enum class Marked { Simple, Standard, OldSimple };

Marked rulesMarkedIn(string_view text) {
    bool blue = false, red = false, foreign = false;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        string_view line = text.substr(0, end);
        text.remove_prefix(end == string_view::npos ? text.size() : end + 1);
        line = trimmed(line);
        if (line == kSimpleRulesMarker) {
            return Marked::Simple;
        }
        if (line == kStandardRulesMarker) {
            return Marked::Standard;
        }
        blue = blue || line == "先手：Blue";
        red = red || line == "後手：Red";
        // What the game never wrote before it knew the standard rules: a drop, a set-up
        // position, a handicap.
        foreign = foreign || line.find("打") != string_view::npos ||
                  (!line.empty() && line.front() == '|') ||
                  (startsWith(line, "手合割：") && trimmed(line.substr(12)) != kEvenGameName);
    }
    return blue && red && !foreign ? Marked::OldSimple : Marked::Standard;
}

const RecordNode* endingAfter(const RecordNode& at) {
    for (const auto& child : at.children) {
        if (child->isEnd()) {
            return child.get();
        }
    }
    return nullptr;
}

// The node after a seal takes the notes written between them.
void takeSealedNotes(RecordNode& node, RecordNode& notes) {
    if (!notes.comment.empty()) {
        node.comment += node.comment.empty() ? notes.comment : "\n" + notes.comment;
    }
    if (!notes.bookmark.empty()) {
        node.bookmark = notes.bookmark;
    }
    notes.comment.clear();
    notes.bookmark.clear();
}

class Reader : TreeBuilding {
  public:
    Reader(RecordReading& result, RuleSet rules);

    // False when reading stops: the record is refused.
    bool readLine(string_view raw);
    void finish();
    bool failed() const { return !result_.ok(); }
    void setLine(int number) { lineNumber_ = number; }

  private:
    // A sealed move waiting for its move goes with the variation a fault leaves out.
    bool fault(std::string reason);
    bool standard() const { return record_.rules == RuleSet::Standard; }
    bool readHeader(string_view key, string_view value);
    bool readHand(int side, string_view value);
    bool readDiagramRow(string_view line);
    bool startGame();
    bool readNumbered(const KifLine& line);
    bool readMove(const KifLine& line);
    void setTime(RecordNode& node, const KifLine& line);
    void closeSealed();

    bool sawKif_ = false;  // a move table, a move, a game type or a diagram: this is a record

    bool sealedPending_ = false;
    long sealedNumber_ = 0;
    KifLine sealedLine_;
    RecordNode sealedNotes_;  // only its comment and bookmark

    // The start of a standard game, assembled from the header until the first move.
    bool started_ = false;
    Position setup_;
    int diagramRows_ = 0;
    int diagramLine_ = 0;
    bool handsGiven_ = false;
    int sideGiven_ = -1;
    std::string handicap_;
};

Reader::Reader(RecordReading& result, RuleSet rules) : TreeBuilding(result) {
    record_.rules = rules;
    record_.start = Position::start();
    record_.handicap = kEvenGameName;
    position_ = record_.start;
    for (int square = 0; square < kSquareCount; ++square) {
        setup_.board.cells[square] = Cell{Empty, 0, square % kBoardSize, square / kBoardSize};
    }
}

bool Reader::fault(std::string reason) {
    if (!inMainLine_) {
        sealedPending_ = false;
        sealedNotes_.comment.clear();
        sealedNotes_.bookmark.clear();
    }
    return TreeBuilding::fault(std::move(reason));
}

bool Reader::readLine(string_view raw) {
    const KifLine line = scanKifLine(raw);
    switch (line.kind) {
        case KifLineKind::Blank:
        case KifLineKind::Program:
            return true;
        case KifLineKind::Comment:
            if (!skipping_) {
                // Notes between a seal and what it sealed wait for the node they follow.
                std::string& comment = sealedPending_ ? sealedNotes_.comment : current_->comment;
                if (!comment.empty()) {
                    comment += '\n';
                }
                comment += line.text;
            }
            return true;
        case KifLineKind::Bookmark:
            if (!skipping_) {
                (sealedPending_ ? sealedNotes_ : *current_).bookmark = bookmarkText(line.text);
            }
            return true;
        case KifLineKind::Variation:
            sawKif_ = true;
            closeSealed();
            openVariation(line.number);
            return true;
        default:
            break;
    }
    if (skipping_ || closed_) {
        // What follows an ending up to the next variation is the writer's summary and notes.
        return true;
    }
    switch (line.kind) {
        case KifLineKind::Move:
        case KifLineKind::Special:
        case KifLineKind::Sealed:
            sawKif_ = true;
            return readNumbered(line);
        case KifLineKind::Summary:
            sawKif_ = true;
            closeSealed();
            closed_ = true;
            return true;
        case KifLineKind::MoveTable:
            sawKif_ = true;
            return !standard() || startGame();
        case KifLineKind::SideToMove:
        case KifLineKind::DiagramRow:
        case KifLineKind::DiagramFrame:
            if (!standard()) {
                return fault("set-up positions are not part of this game");
            }
            if (started_) {
                return fault("a board diagram after the moves have begun");
            }
            sawKif_ = true;
            if (line.kind == KifLineKind::SideToMove) {
                sideGiven_ = startsWith(line.text, "後手") || startsWith(line.text, "上手") ? 1 : 0;
            }
            return line.kind == KifLineKind::DiagramRow ? readDiagramRow(line.text) : true;
        case KifLineKind::Header:
            return readHeader(line.key, line.text);
        default:
            break;
    }
    // U+FFFD is what a program leaves when it decoded Shift_JIS as UTF-8 and saved it: the
    // characters are gone, and the player should know it is not this reader's fault.
    if (line.text.find("\xEF\xBF\xBD") != string_view::npos) {
        return fault(
            "the record's characters were lost (replaced by U+FFFD) when the file "
            "was converted once; it cannot be read");
    }
    return fault(sawKif_ ? "not a line of a KIF record" : "not a KIF record");
}

bool Reader::readHeader(string_view key, string_view value) {
    if (key == "手合割") {
        sawKif_ = true;
        if (!standard()) {
            return value == kEvenGameName ? true
                                          : fault("only the even game (平手) can be played here");
        }
        handicap_ = std::string(value);
    } else if (isHandKey(key)) {
        if (value.empty() || value == "なし") {
            return true;
        }
        // Pieces in hand come with a set-up position; "none" is harmless and some writers
        // add it to every record.
        if (!standard()) {
            return fault("set-up positions are not part of this game");
        }
        if (started_) {
            return fault("pieces in hand named after the moves have begun");
        }
        sawKif_ = true;
        return readHand(sideOfKey(key), value);
    } else if (key == "手番") {
        // Whose turn the set-up position is; it says nothing once the moves have begun.
        if (standard() && !started_) {
            sideGiven_ = startsWith(value, "後手") || startsWith(value, "上手") ? 1 : 0;
        }
        return true;
    }
    if (!value.empty()) {
        record_.headers.push_back({std::string(key), std::string(value)});
    }
    return true;
}

bool Reader::readHand(int side, string_view value) {
    handsGiven_ = true;
    while (!value.empty()) {
        skipSpaces(value);
        if (value.empty()) {
            break;
        }
        const int piece = takePiece(value);
        if (piece == Empty || piece == King || (piece != Gold && piece % 2 == 0)) {
            return fault("the pieces in hand are not a list of pieces");
        }
        const int count = takeKanjiCount(value);
        const int total = setup_.hands[side][piece] + (count == 0 ? 1 : count);
        // More than a set holds is refused when the position is checked; this only keeps
        // the count in its byte.
        if (total > 40) {
            return fault("more pieces in hand than a set holds");
        }
        setup_.hands[side][piece] = static_cast<std::uint8_t>(total);
    }
    return true;
}

// "|v香v桂 ・ ・ 玉 ...|一": nine squares of two columns each, 'v' before a piece of 後手.
bool Reader::readDiagramRow(string_view line) {
    if (diagramRows_ >= kBoardSize) {
        return fault("the board diagram has more than nine rows");
    }
    if (diagramRows_ == 0) {
        diagramLine_ = lineNumber_;
    }
    line.remove_prefix(1);
    const int row = diagramRows_;
    for (int column = 0; column < kBoardSize; ++column) {
        int owner = 0;
        if (consume(line, "v")) {
            owner = 1;
        } else if (!consume(line, " ") && !consume(line, "^")) {
            return fault("a row of the board diagram cannot be read");
        }
        int piece = Empty;
        if (!consume(line, "・")) {
            piece = takePiece(line);
            if (piece == Empty) {
                return fault("a row of the board diagram cannot be read");
            }
        }
        setup_.board.cells[row * kBoardSize + column] =
            Cell{static_cast<std::int8_t>(piece), static_cast<std::int8_t>(piece ? owner : 0),
                 column, row};
    }
    if (!consume(line, "|")) {
        return fault("a row of the board diagram cannot be read");
    }
    ++diagramRows_;
    return true;
}

bool Reader::startGame() {
    if (started_) {
        return true;
    }
    started_ = true;
    Position start = Position::start();
    if (diagramRows_ > 0) {
        if (diagramRows_ != kBoardSize) {
            return fail("the board diagram does not have nine rows");
        }
        start = setup_;
        // Without a word on whose turn it is, a handicap's giver (Red) moves first.
        Position handicap;
        const bool givesPieces =
            handicap_ != kEvenGameName && handicapPosition(handicap_, handicap);
        start.sideToMove = sideGiven_ >= 0 ? sideGiven_ : givesPieces ? 1 : 0;
        // A composer may set up what play could not reach, such as two pawns of a side on a
        // file; only a position no game can go on from is refused.
        std::string why;
        std::vector<std::string> unusual;
        if (!validateSetUpPosition(start, why, unusual)) {
            return fail("the position set up cannot be played: " + why);
        }
        for (const std::string& what : unusual) {
            warn(diagramLine_, "the position set up is unusual: " + what);
        }
    } else if (handsGiven_) {
        return fail("pieces in hand, but no board diagram to go with them");
    } else if (!handicap_.empty() && !handicapPosition(handicap_, start)) {
        return fail("the handicap " + shownInRefusal(handicap_) +
                    " is not one this game can set up");
    }
    record_.start = start;
    record_.handicap = diagramRows_ > 0 ? "" : handicapNameOf(start);
    position_ = start;
    game_ = StandardGame(start);
    return true;
}

bool Reader::readNumbered(const KifLine& line) {
    const long expected = sealedPending_ ? sealedNumber_ : current_->ply + 1L;
    if (line.number != expected) {
        return fault("move number out of order");
    }
    if (line.faultWhole && line.kind == KifLineKind::Move && line.fault == "not a move") {
        return fault("not a move");
    }
    if (standard() && !startGame()) {
        return false;
    }
    if (line.kind == KifLineKind::Sealed) {
        sealedPending_ = true;
        sealedNumber_ = line.number;
        sealedLine_ = line;
        return true;
    }
    if (tooManyNodes()) {
        return fault("more than " + std::to_string(kKifMaxNodes) + " moves in the record");
    }
    if (line.kind == KifLineKind::Special) {
        sealedPending_ = false;
        // A line ends one way: a variation that ends the same line otherwise says nothing
        // a tree can hold.
        const RecordNode* ending = endingAfter(*current_);
        if (ending && (ending->end != line.end || ending->sealed)) {
            return fault("a second ending after move " + std::to_string(current_->ply));
        }
        RecordNode* node = placeEnd(line.end);
        setTime(*node, line);
        takeSealedNotes(*node, sealedNotes_);
        closed_ = true;
        return true;
    }
    return readMove(line);
}

bool Reader::readMove(const KifLine& line) {
    const std::string number = std::to_string(current_->ply + 1);
    if (mainLineFull()) {
        return fail("more than " + std::to_string(kKifMaxMoves) + " moves");
    }
    if (!line.fault.empty() && !line.faultWhole) {
        return fault("move " + number + " " + shownInRefusal(line.move.text) + ": " + line.fault);
    }
    const Move* previous = current_->isRoot() ? nullptr : &current_->move;
    Move made;
    std::string why;
    if (line.move.same && !previous) {
        return fault("move " + number + ": 同 with no move before it");
    }
    const bool judgedByGame = inMainLine_ && standard();
    if (!replayWrittenMove(record_.rules, position_, line.move, previous, made, why,
                           judgedByGame ? &game_ : nullptr)) {
        return fault("move " + number + " " + shownInRefusal(line.move.text) + ": " + why);
    }
    if (!line.fault.empty()) {
        return fault(line.fault);
    }
    RecordNode* node = placeMove(made);
    setTime(*node, line);
    if (sealedPending_) {
        node->sealed = true;
        sealedPending_ = false;
        takeSealedNotes(*node, sealedNotes_);
    }
    return true;
}

// The move's own time and the total the record gives beside it; where that is missing or
// unreadable, the mover's running sum on this line.
void Reader::setTime(RecordNode& node, const KifLine& line) {
    const RecordNode* before = node.parent ? node.parent->parent : nullptr;
    const std::int64_t sideTotal =
        before && !before->isRoot() && !before->isEnd() ? before->time.totalMs : 0;
    node.timed = line.timed;
    node.time.usedMs = line.usedSeconds > 0 ? line.usedSeconds * 1000 : 0;
    node.time.totalMs =
        line.totalSeconds >= 0 ? line.totalSeconds * 1000 : sideTotal + node.time.usedMs;
}

// A sealed move with no move after it: the game was adjourned and the envelope is still
// closed. The line stops there, and the record says so in the same words when written.
void Reader::closeSealed() {
    if (!sealedPending_ || skipping_ || closed_) {
        sealedPending_ = false;
        return;
    }
    sealedPending_ = false;
    const RecordNode* ending = endingAfter(*current_);
    if (ending && !ending->sealed) {
        warn("a sealed move where the line already ends; it is left out");
        return;
    }
    RecordNode* node = placeEnd(LineEnd::Interrupted);
    setTime(*node, sealedLine_);
    node->sealed = true;
    takeSealedNotes(*node, sealedNotes_);
    closed_ = true;
}

void Reader::finish() {
    if (failed()) {
        return;
    }
    if (!sawKif_) {
        lineNumber_ = 1;
        fail("not a KIF record");
        return;
    }
    if (standard() && !startGame()) {
        return;
    }
    closeSealed();
}

RecordReading readWith(const std::string& utf8Text, RuleSet rules) {
    RecordReading result;
    Reader reader(result, rules);
    string_view text(utf8Text);
    consume(text, "\xEF\xBB\xBF");
    int lineNumber = 0;
    while (!text.empty()) {
        ++lineNumber;
        reader.setLine(lineNumber);
        const string_view line = takeRecordLine(text);
        if (line.size() > kMaxLineBytes) {
            result.errorLine = lineNumber;
            result.error = "line too long";
            return result;
        }
        if (!reader.readLine(line)) {
            break;
        }
    }
    reader.finish();
    // Verdicts another program wrote as comments show again without another analysis.
    readEvaluationComments(result.record);
    return result;
}

}  // namespace

RecordReading readKifRecord(const std::string& utf8Text) {
    if (utf8Text.size() > kKifMaxTextBytes) {
        RecordReading result;
        result.error = "the record is too long";
        return result;
    }
    const Marked marked = rulesMarkedIn(utf8Text);
    if (marked != Marked::OldSimple) {
        return readWith(utf8Text, marked == Marked::Simple ? RuleSet::Simple : RuleSet::Standard);
    }
    // A record that looks like one the game wrote before it knew the standard rules is most
    // likely that; if it does not read so, it may be a standard game between a Blue and a Red.
    RecordReading simple = readWith(utf8Text, RuleSet::Simple);
    if (simple.ok()) {
        return simple;
    }
    RecordReading standardReading = readWith(utf8Text, RuleSet::Standard);
    return standardReading.ok() ? std::move(standardReading) : std::move(simple);
}

}  // namespace ixo
