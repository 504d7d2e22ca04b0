#include "record/csa_writer.h"

#include <string_view>

#include "record/csa_reader.h"
#include "record/kif_syntax.h"
#include "shogi/csa_notation.h"

namespace ixo {

namespace {

using std::string_view;

// A line break in a value would start another statement. A comma would not: readers take a
// name or header line whole, as this one does.
std::string oneStatement(const std::string& value) {
    std::string line = value;
    for (char& c : line) {
        if (c == '\n' || c == '\r') {
            c = ' ';
        }
    }
    return line;
}

void appendComment(std::string& text, const std::string& comment) {
    // Every line, an empty last one too: a comment ending in a line break keeps it.
    const string_view rest = comment;
    for (std::size_t start = 0; !rest.empty();) {
        const std::size_t end = rest.find('\n', start);
        text += "'*";
        text += rest.substr(start, end - start);
        text += '\n';
        if (end == string_view::npos) {
            break;
        }
        start = end + 1;
    }
}

void appendEvaluation(std::string& text, const RecordNode& node) {
    if (!node.evaluated) {
        return;
    }
    text += "'** " + std::to_string(node.evaluation.centipawns);
    if (!node.evaluation.line.empty()) {
        text += ' ' + oneStatement(node.evaluation.line);
    }
    text += '\n';
}

// PI and the squares of the pieces the even start has there and this start has not, when
// that is all that differs: the even game and every handicap. Empty otherwise.
std::string piLine(const Position& start) {
    const Position even = Position::start();
    bool handsEmpty = true;
    for (const Hand& hand : start.hands) {
        for (const std::uint8_t count : hand) {
            handsEmpty = handsEmpty && count == 0;
        }
    }
    if (!handsEmpty) {
        return "";
    }
    std::string line = "PI";
    for (int row = 0; row < kBoardSize; ++row) {
        for (int column = 0; column < kBoardSize; ++column) {
            const Cell has = start.board.cellAt(column, row);
            const Cell had = even.board.cellAt(column, row);
            if (has.piece == had.piece && has.owner == had.owner) {
                continue;
            }
            if (has.piece != Empty) {
                return "";
            }
            line += static_cast<char>('0' + fileOfColumn(column));
            line += static_cast<char>('1' + row);
            line += csaPieceName(had.piece);
        }
    }
    return line;
}

}  // namespace

bool writeCsaRecord(const GameRecord& record, std::string& text, std::string& error,
                    std::vector<std::string>& warnings) {
    if (record.rules != RuleSet::Standard) {
        error =
            "a game of the simple rules cannot be written as CSA: its readers would play "
            "it as standard shogi";
        return false;
    }
    text.clear();
    text.reserve(256 + record.nodeCount() * 24);
    text += "V2.2\n";
    std::string blue, red;
    for (const RecordHeader& header : record.headers) {
        if ((header.key == "先手" || header.key == "下手") && blue.empty()) {
            blue = header.value;
        } else if ((header.key == "後手" || header.key == "上手") && red.empty()) {
            red = header.value;
        }
    }
    if (!blue.empty()) {
        text += "N+" + oneStatement(blue) + "\n";
    }
    if (!red.empty()) {
        text += "N-" + oneStatement(red) + "\n";
    }
    for (const RecordHeader& header : record.headers) {
        const std::string& key = header.key;
        // The players went above; the start is written from the record itself below.
        if (key == "先手" || key == "下手" || key == "後手" || key == "上手" || key == "手合割" ||
            key == "手番" || key.find("持駒") != std::string::npos || header.value.empty()) {
            continue;
        }
        const string_view csaKey = csaKeyOfKifKey(key);
        text += "$" + oneStatement(csaKey.empty() ? key : std::string(csaKey)) + ":" +
                oneStatement(header.value) + "\n";
    }
    appendComment(text, record.root().comment);
    const std::string pi = piLine(record.start);
    if (!pi.empty()) {
        text += pi + "\n";
        text += record.start.sideToMove == 0 ? "+\n" : "-\n";
    } else {
        text += csaPositionText(record.start);
    }
    for (const RecordNode* node = record.root().mainChild(); node; node = node->mainChild()) {
        const int sideToMove = node->mover(record.start.sideToMove);
        if (node->isEnd()) {
            const std::string word = csaEndWord(node->end, sideToMove);
            if (word.empty()) {
                warnings.push_back("the ending " + std::string(lineEndWord(node->end)) +
                                   " has no CSA word; it is written as a comment");
                text += "'" + std::string(lineEndWord(node->end)) + "\n";
            } else {
                text += "%" + word;
                if (node->timed) {
                    text +=
                        ",T" + std::to_string(node->time.usedMs > 0 ? node->time.usedMs / 1000 : 0);
                }
                text += '\n';
            }
        } else {
            text += csaMove(node->move);
            if (node->timed) {
                text += ",T" + std::to_string(node->time.usedMs > 0 ? node->time.usedMs / 1000 : 0);
            }
            text += '\n';
        }
        appendComment(text, node->comment);
        appendEvaluation(text, *node);
    }
    const std::size_t variations = record.variationCount();
    if (variations > 0) {
        warnings.push_back("CSA keeps the main line only: " + std::to_string(variations) +
                           (variations == 1 ? " variation is" : " variations are") + " left out");
    }
    return true;
}

}  // namespace ixo
