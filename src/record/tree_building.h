#pragma once

#include <string>

#include "record/game_tree.h"
#include "record/kif_reader.h"
#include "shogi/position.h"
#include "shogi/standard_rules.h"

namespace ixo {

// What the KIF and KI2 readers share while they build a record's tree line by line: the line
// they are on, where the next move goes and the position there, the variation being read, and
// the record's limits. A fault in the main line refuses the record; in a variation it leaves
// that variation out with a warning, so the rest of a study still opens.
class TreeBuilding {
  protected:
    explicit TreeBuilding(RecordReading& result)
        : result_(result), record_(result.record), current_(&result.record.root()) {}

    // Refuses the record at the current line.
    bool fail(std::string reason);
    void warn(int line, const std::string& what);
    void warn(const std::string& what) { warn(lineNumber_, what); }
    // False when the record is refused, true when only the variation was left out.
    bool fault(std::string reason);
    // A 変化 line: the variation from move `ply` branches off the line read so far. One that
    // has nothing to branch from, or one too many, is skipped to the next 変化.
    void openVariation(long ply);
    // A move or an ending placed after current_, which it becomes; the first node a variation
    // places is the one a later fault in it removes.
    RecordNode* placeMove(const Move& made);
    RecordNode* placeEnd(LineEnd end);
    bool mainLineFull() const { return inMainLine_ && mainMoves_ >= kKifMaxMoves; }
    // Counts one more node; true once the record holds more than it may.
    bool tooManyNodes() { return ++nodes_ > kKifMaxNodes; }

    RecordReading& result_;
    GameRecord& record_;
    int lineNumber_ = 0;
    RecordNode* current_;     // the node the next move follows
    Position position_;       // the position after current_
    StandardGame game_;       // the standard main line, which judges mate and repetition
    bool inMainLine_ = true;  // no 変化 line yet
    bool closed_ = false;     // the line ended (a special line or the summary) until a 変化
    bool skipping_ = false;   // a variation left out, until the next 変化

  private:
    RecordNode* placed(RecordNode* node, std::size_t childrenBefore);

    int mainMoves_ = 0;
    int nodes_ = 0;
    int variations_ = 0;
    int variationLine_ = 0;
    long variationPly_ = 0;
    RecordNode* branchPoint_ = nullptr;
    RecordNode* variationStart_ = nullptr;  // the first node this variation made
};

}  // namespace ixo
