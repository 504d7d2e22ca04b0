#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "shogi/move.h"
#include "shogi/position.h"

namespace ixo {

// A whole game record as shogi software exchanges it: where it starts, under which rules,
// what its headers say, and every line that was played or studied from there. Every format
// is a reader into this tree and a writer out of it, and the game in progress is a place in
// it, so nothing a record holds is lost between opening it and writing it again.

// One header line, "先手：羽生善治" as key 先手 and value 羽生善治.
struct RecordHeader {
    std::string key;
    std::string value;

    friend bool operator==(const RecordHeader& a, const RecordHeader& b) {
        return a.key == b.key && a.value == b.value;
    }
};

// How a line of play stops other than by running out of moves. Each is written as a
// numbered line of its own (KIF "121 投了", CSA "%TORYO") with its time, so it is a node of
// the tree like a move, always the last one of its line.
enum class LineEnd : std::uint8_t {
    None,           // a move, not an ending
    Resignation,    // 投了
    Interrupted,    // 中断
    Impasse,        // 持将棋
    Repetition,     // 千日手
    Checkmate,      // 詰み
    TimeUp,         // 切れ負け
    FoulWin,        // 反則勝ち: the side to move wins by the other's foul
    FoulLoss,       // 反則負け: the side to move loses by its own foul
    ImpasseWin,     // 入玉勝ち: the side to move declared and won
    WinByDefault,   // 不戦勝
    LossByDefault,  // 不戦敗
    NoMate,         // 不詰: a problem that has no mate
    // The endings only CSA records name, kept so a CSA record goes out as it came in.
    MaxMoves,  // 最大手数: the longest game the event allows was reached (%MAX_MOVES)
    Draw,      // 引き分け: a draw declared under the impasse rule (%HIKIWAKE)
    Error,     // エラー: the program running the game failed (%ERROR)
    TakeBack,  // 待った: a move was taken back (%MATTA)
};

// What an engine made of the position after a node's move, from Blue's side.
struct Evaluation {
    std::int32_t centipawns = 0;
    // Mate in this many plies: positive when Blue mates, negative when Red does; 0 none.
    std::int32_t mateIn = 0;
    std::string line;  // the engine's expected moves, in the record's notation
};

struct RecordNode {
    RecordNode* parent = nullptr;
    // children[0] carries the main line on; the others are variations, in the order a
    // record lists them.
    std::vector<std::unique_ptr<RecordNode>> children;
    // Plies from the start: 0 at the root, which stands for the start position and holds
    // the comments written before the first move.
    int ply = 0;
    Move move;                    // unused at the root and on an ending
    LineEnd end = LineEnd::None;  // set on a node that ends its line instead of moving
    MoveTime time;                // what the move (or the ending) cost its side
    bool timed = false;           // whether the record gave `time` at all
    std::string comment;          // the comment lines after it, joined by '\n'
    std::string bookmark;         // KIF's '&' line: a name for this place
    // The move was sealed: written down and kept in an envelope overnight in a two-day game,
    // which KIF records as a line "53 封じ手" just before the move itself. On an ending
    // (LineEnd::Interrupted) the line stops at a move sealed and not yet opened: a record of a
    // game adjourned overnight, which KIF ends with the line "53 封じ手" alone.
    bool sealed = false;
    bool evaluated = false;  // whether `evaluation` holds an engine's verdict
    Evaluation evaluation;

    bool isRoot() const { return parent == nullptr; }
    bool isEnd() const { return end != LineEnd::None; }
    // The side that made this node's move (or whose turn the ending came on), given the
    // side that moved first.
    int mover(int firstMover) const { return (firstMover + ply - 1) % 2; }
    RecordNode* mainChild() const { return children.empty() ? nullptr : children[0].get(); }
    // Index of `child` among children, or -1.
    int indexOf(const RecordNode* child) const;
};

// The node a writer takes after `node`: down the line first, then back up to the nearest line
// beside it; null after the last. Every format writes the tree in this one order, so a record
// converted between them keeps its variations where they were.
const RecordNode* nextInWritingOrder(const RecordNode& node);

// The node on the line through `at` that a variation starting at move `ply` branches from:
// the one after move ply - 1. Null when there is none, or it ends its line.
RecordNode* variationBranchPoint(RecordNode& at, long ply);

class GameRecord {
  public:
    GameRecord();
    // Frees the tree without recursing once per node: a record may hold ten thousand moves.
    ~GameRecord();
    GameRecord(GameRecord&& other) noexcept;
    GameRecord& operator=(GameRecord&& other) noexcept;
    // A deep copy: nodes are owned, and parent pointers point into the copy.
    GameRecord(const GameRecord& other);
    GameRecord& operator=(const GameRecord& other);

    RuleSet rules = RuleSet::Simple;
    Position start = Position::start();
    // The handicap that 手合割 named (平手 for the even game); empty when the start was given
    // as a diagram or SFEN.
    std::string handicap;
    std::vector<RecordHeader> headers;

    RecordNode& root() { return *root_; }
    const RecordNode& root() const { return *root_; }

    // Where a new move goes beside the ones already played from that node.
    enum class Placement {
        MainLine,   // it becomes children[0], pushing the others down (a game as played)
        Variation,  // it goes last, the existing lines keep their places (review)
    };
    // The child of `at` that makes `move`, made if there is none (an existing one keeps its
    // comment and time, and becomes the main line under Placement::MainLine). `at` must not
    // be an ending.
    RecordNode* addMove(RecordNode& at, const Move& move, Placement placement);
    // The ending after `at`, replacing any ending already there; placed as addMove places.
    RecordNode* addEnd(RecordNode& at, LineEnd end, Placement placement);
    // Drops `node` and everything after it. The root cannot be removed.
    void remove(RecordNode& node);

    // The last node of the main line.
    const RecordNode& mainLineEnd() const;
    RecordNode& mainLineEnd();
    // From the root's first child down to `node`, in order; empty for the root.
    static std::vector<const RecordNode*> path(const RecordNode& node);
    // The moves of that path, endings left out.
    static std::vector<Move> movesTo(const RecordNode& node);
    std::size_t nodeCount() const;
    // The variations (branch points beyond the main line) in the whole tree.
    std::size_t variationCount() const;

  private:
    std::unique_ptr<RecordNode> root_;
};

}  // namespace ixo
