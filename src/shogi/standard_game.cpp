#include <array>

#include "shogi/standard_movegen.h"
#include "shogi/standard_rules.h"

namespace ixo {

using namespace standard;

namespace {

const char* kKindName[King + 1] = {"", "pawn",   "", "bishop", "", "rook", "",    "lance",
                                   "", "knight", "", "silver", "", "gold", "king"};

// Fixed keys, the same in every run, so a position's key can be compared across processes.
struct Keys {
    std::array<std::array<std::uint64_t, King + 1>, 2 * kSquareCount> board;
    std::array<std::array<std::uint64_t, King + 1>, 2> hand;
    std::uint64_t redToMove;
};

std::uint64_t splitMix(std::uint64_t& state) {
    std::uint64_t z = (state += 0x9e3779b97f4a7c15ull);
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ull;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebull;
    return z ^ (z >> 31);
}

const Keys& keys() {
    static const Keys table = [] {
        Keys made{};
        std::uint64_t state = 0x1d05e5f3c0ffee11ull;
        for (auto& square : made.board) {
            for (auto& key : square) {
                key = splitMix(state);
            }
        }
        for (auto& side : made.hand) {
            for (auto& key : side) {
                key = splitMix(state);
            }
        }
        made.redToMove = splitMix(state);
        return made;
    }();
    return table;
}

int impassePoints(int piece) {
    const int kind = handKindOf(piece);
    return kind == Rook || kind == Bishop ? 5 : 1;
}

}  // namespace

std::uint64_t positionKey(const Position& position) {
    const Keys& table = keys();
    std::uint64_t key = position.sideToMove == 1 ? table.redToMove : 0;
    for (int square = 0; square < kSquareCount; ++square) {
        const Cell& cell = position.board.cells[square];
        if (cell.piece > Empty && cell.piece <= King) {
            key ^= table.board[square * 2 + (cell.owner == 1 ? 1 : 0)][cell.piece];
        }
    }
    // Counts, not presence: the key of a hand multiplies its piece's key by how many.
    for (int side = 0; side < 2; ++side) {
        for (int piece = Pawn; piece <= King; ++piece) {
            key += table.hand[side][piece] * position.hands[side][piece];
        }
    }
    return key;
}

namespace {

// `doubledPawns`, when given, collects the files where a side has two unpromoted pawns
// instead of refusing them.
bool checkPosition(const Position& position, std::string& error,
                   std::vector<std::string>* doubledPawns) {
    error.clear();
    const Board& board = position.board;
    if (position.sideToMove < 0 || position.sideToMove > 1) {
        error = "no side is to move";
        return false;
    }
    int count[King + 1] = {};
    int kings[2] = {};
    unsigned pawnFiles[2] = {};
    for (int square = 0; square < kSquareCount; ++square) {
        const Cell& cell = board.cells[square];
        if (cell.piece == Empty) {
            continue;
        }
        if (cell.piece < Empty || cell.piece > King || cell.owner < 0 || cell.owner > 1) {
            error = "a square holds something that is not a piece";
            return false;
        }
        const int side = cell.owner;
        const int column = square % kBoardSize;
        ++count[handKindOf(cell.piece)];
        kings[side] += cell.piece == King ? 1 : 0;
        if (cell.piece == Pawn) {
            if ((pawnFiles[side] >> column & 1) != 0) {
                const std::string what = std::string(side == 0 ? "Blue" : "Red") +
                                         " has two pawns on file " +
                                         std::to_string(kBoardSize - column);
                if (!doubledPawns) {
                    error = what;
                    return false;
                }
                doubledPawns->push_back(what);
            }
            pawnFiles[side] |= 1u << column;
        }
        if (isDeadSquare(cell.piece, side, square / kBoardSize)) {
            error = std::string("a ") + kKindName[cell.piece] + " stands where it can never move";
            return false;
        }
    }
    for (int side = 0; side < 2; ++side) {
        if (kings[side] > 1) {
            error = std::string(side == 0 ? "Blue" : "Red") + " has more than one king";
            return false;
        }
        for (int piece = Pawn; piece <= King; ++piece) {
            if (position.hands[side][piece] != 0 && !isHandKind(piece)) {
                error = std::string("a ") + kKindName[handKindOf(piece)] + " cannot be held";
                return false;
            }
            count[piece] += position.hands[side][piece];
        }
    }
    for (int piece = Pawn; piece <= King; ++piece) {
        if (count[piece] > kPiecesInASet[piece]) {
            error = std::string("more of the ") + kKindName[piece] + " than a set holds";
            return false;
        }
    }
    if (inCheck(position, 1 - position.sideToMove)) {
        error = "the side not to move is in check";
        return false;
    }
    return true;
}

}  // namespace

bool validatePosition(const Position& position, std::string& error) {
    return checkPosition(position, error, nullptr);
}

bool validateSetUpPosition(const Position& position, std::string& error,
                           std::vector<std::string>& warnings) {
    return checkPosition(position, error, &warnings);
}

bool impasseDeclarationWins(const Position& position) {
    const int side = position.sideToMove;
    if (side < 0 || side > 1) {
        return false;
    }
    const int king = kingSquare(position.board, side);
    if (king < 0 || !inFarZone(side, king / kBoardSize) || inCheck(position, side)) {
        return false;
    }
    int pieces = 0;
    int points = 0;
    for (int square = 0; square < kSquareCount; ++square) {
        const Cell& cell = position.board.cells[square];
        if (cell.piece > Empty && cell.piece < King && cell.owner == side &&
            inFarZone(side, square / kBoardSize)) {
            ++pieces;
            points += impassePoints(cell.piece);
        }
    }
    for (int piece = Pawn; piece < King; ++piece) {
        points += impassePoints(piece) * position.hands[side][piece];
    }
    // Blue moved first, so Blue needs the one point more.
    return pieces >= 10 && points >= (side == 0 ? 28 : 27);
}

StandardGame::StandardGame(const Position& start) : start_(start), position_(start) {
    keys_.push_back(positionKey(position_));
    judgeEnd();
}

bool StandardGame::play(const MoveRequest& request, Move* made, Refusal* why) {
    if (outcome_.over()) {
        if (why) {
            *why = Refusal::GameOver;
        }
        return false;
    }
    Move move;
    if (!playStandardMove(position_, request, &move, why)) {
        return false;
    }
    // A new move forgets whatever had been taken back, as the simple rules' history does.
    moves_.resize(ply_);
    keys_.resize(ply_ + 1);
    gaveCheck_.resize(ply_);
    moves_.push_back(move);
    keys_.push_back(positionKey(position_));
    gaveCheck_.push_back(inCheck(position_, position_.sideToMove));
    ++ply_;
    ending_ = Outcome{};
    judgeEnd();
    if (made) {
        *made = move;
    }
    return true;
}

void StandardGame::endHere(GameEnd how, int winner) {
    if (outcome_.over()) {
        return;
    }
    // An ending without a move forgets the moves that had been taken back: they no longer
    // lead anywhere, since the game stopped here.
    moves_.resize(ply_);
    keys_.resize(ply_ + 1);
    gaveCheck_.resize(ply_);
    ending_ = Outcome{how, winner};
    endingPly_ = ply_;
    outcome_ = ending_;
    outcomePly_ = ply_;
}

void StandardGame::resign() {
    endHere(GameEnd::Resignation, 1 - position_.sideToMove);
}

void StandardGame::declareImpasse() {
    const int side = position_.sideToMove;
    if (impasseDeclarationWins(position_)) {
        endHere(GameEnd::Impasse, side);
    } else {
        endHere(GameEnd::FailedImpasse, 1 - side);
    }
}

void StandardGame::loseByFoul(int side) {
    endHere(GameEnd::IllegalMove, side == 0 ? 1 : 0);
}

void StandardGame::loseOnTime(int side) {
    endHere(GameEnd::TimeUp, side == 0 ? 1 : 0);
}

const Move* StandardGame::takeBack() {
    // A resignation or declaration is taken back on its own, before the move that preceded
    // it: a player who resigned by mistake gets the position back, not the one before it.
    if (ply_ == 0 || (outcome_.over() && ending_.over() && endingPly_ == ply_)) {
        outcome_ = Outcome{};
        return nullptr;
    }
    --ply_;
    takeBackStandardMove(position_, moves_[ply_]);
    outcome_ = Outcome{};
    return &moves_[ply_];
}

bool StandardGame::replayEnding() {
    if (outcome_.over() || !ending_.over() || endingPly_ != ply_) {
        return false;
    }
    outcome_ = ending_;
    outcomePly_ = ply_;
    return true;
}

const Move* StandardGame::replay() {
    if (ply_ >= moves_.size()) {
        return nullptr;
    }
    const Move& move = moves_[ply_];
    Position next = position_;
    if (!playStandardMove(next, requestOf(move), nullptr, nullptr)) {
        return nullptr;
    }
    position_ = next;
    ++ply_;
    judgeEnd();
    return &move;
}

const Move* StandardGame::lastMove() const {
    return ply_ == 0 ? nullptr : &moves_[ply_ - 1];
}

std::vector<Move> StandardGame::played() const {
    return std::vector<Move>(moves_.begin(), moves_.begin() + static_cast<std::ptrdiff_t>(ply_));
}

std::size_t StandardGame::size() const {
    return moves_.size();
}

std::size_t StandardGame::ply() const {
    return ply_;
}

void StandardGame::judgeEnd() {
    outcome_ = Outcome{};
    // An ending that came without a move (resignation, declaration) is kept at its ply, but
    // only replayEnding() brings it back: each R press replays one thing, as each U undid one.
    if (!standard::hasLegalMove(position_)) {
        // The side to move has nothing to play. In check that is mate; out of check the
        // rules know no pass, so it loses all the same.
        outcome_ = Outcome{GameEnd::Checkmate, 1 - position_.sideToMove};
        outcomePly_ = ply_;
        return;
    }
    // The keys and checks past this ply belong to moves taken back.
    const std::vector<std::uint64_t> keys(keys_.begin(), keys_.begin() + ply_ + 1);
    const std::vector<bool> checks(gaveCheck_.begin(), gaveCheck_.begin() + ply_);
    outcome_ = repetitionOutcome(keys, checks, start_.sideToMove);
    if (!outcome_.over()) {
        return;
    }
    outcomePly_ = ply_;
}

Outcome repetitionOutcome(const std::vector<std::uint64_t>& keys,
                          const std::vector<bool>& gaveCheck, int firstMover) {
    if (keys.empty()) {
        return Outcome{};
    }
    const std::size_t ply = keys.size() - 1;
    const std::uint64_t key = keys[ply];
    std::size_t seen = 0;
    std::size_t first = ply;
    for (std::size_t i = ply + 1; i-- > 0;) {
        if (keys[i] == key) {
            ++seen;
            first = i;
        }
    }
    if (seen < 4) {
        return Outcome{};
    }
    bool allChecks[2] = {true, true};
    for (std::size_t i = first; i < ply && i < gaveCheck.size(); ++i) {
        const int mover = static_cast<int>((firstMover + i) % 2);
        allChecks[mover] = allChecks[mover] && gaveCheck[i];
    }
    if (allChecks[0] != allChecks[1]) {
        const int checker = allChecks[0] ? 0 : 1;
        return Outcome{GameEnd::PerpetualCheck, 1 - checker};
    }
    return Outcome{GameEnd::Repetition, -1};
}

}  // namespace ixo
