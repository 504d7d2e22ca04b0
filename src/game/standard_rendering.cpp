#include "game/game_scene.h"
#include "game/geometry.h"
#include "match/hint_engine.h"
#include "match/server_player.h"
#include "media/text.h"
#include "util/format.h"

namespace ixo {

namespace {

// Pieces in hand stand on their slots as pieces stand on their squares: the shadow's middle
// and the piece's foot the same distance above the slot's bottom edge.
constexpr int kShadowMiddle = 50;
constexpr int kPieceFoot = kSquareSize - 4;

const char* const kEndingNames[GameScene::kEndingCount] = {
    nullptr,   "checkmate",      "resignation",  "repetition", "perpetual-check",
    "impasse", "failed-impasse", "illegal-move", "time-up",
};

int squareIndex(int column, int row) {
    return row * kBoardSize + column;
}

int kingSquare(const Board& board, int side) {
    for (int index = 0; index < kSquareCount; ++index) {
        if (board.cells[index].piece == King && board.cells[index].owner == side) {
            return index;
        }
    }
    return -1;
}

// Stands `picture` on the slot or square whose top-left corner is (left, top), centred
// across `width`.
void standPiece(SDL_Surface* screen, const Image& picture, int left, int top, int width) {
    picture.draw(screen, static_cast<Sint16>(left + width / 2 - picture.width() / 2),
                 static_cast<Sint16>(top + kPieceFoot - picture.height()));
}

}  // namespace

void GameScene::loadStandardPictures() {
    if (standardPicturesLoaded_) {
        return;
    }
    standardPicturesLoaded_ = true;
    const std::string& folder = pictureFolder;
    loadPicture(standardBackground, folder + "bg-standard.jpg");
    standardBackground.matchScreenFormat();
    loadPicture(lastMoveMark, folder + "last-move.png");
    loadPicture(checkMark, folder + "check.png");
    loadPicture(handLight, folder + "hand-light.png");
    loadPicture(promotionPlaque, folder + "promotion.png");
    loadPicture(handCounts[0], folder + "counts-1p.png");
    loadPicture(handCounts[1], folder + "counts-2p.png");
    if (turnedPicturesMade_) {
        turnedCounts[0].loadTurned(handCounts[0]);
        turnedCounts[1].loadTurned(handCounts[1]);
    }
    for (int ending = 1; ending < kEndingCount; ++ending) {
        // A repetition is a draw and nothing else; every other ending has a winner.
        const bool draw = static_cast<GameEnd>(ending) == GameEnd::Repetition;
        for (int winner = draw ? -1 : 0; winner <= (draw ? -1 : 1); ++winner) {
            static const char* const kWinners[3] = {"draw", "blue", "red"};
            loadPicture(banners[ending][winner + 1],
                        folder + formatString("banner/%s-%s.png", kEndingNames[ending],
                                              kWinners[winner + 1]));
        }
    }
}

std::string GameScene::noticeShown() const {
    if (newGamePanel.isOpen()) {
        return "";  // the panel says what its keys do
    }
    if (paused()) {
        return "Paused: press P to go on";
    }
    if (lostOnTime() >= 0) {
        return lostOnTime() == 0 ? "Time is up: Blue loses on time"
                                 : "Time is up: Red loses on time";
    }
    if (rules() == RuleSet::Standard && choosingPromotion && asking == Question::None) {
        return "Promote? Click the promoted or the unpromoted piece";
    }
    if (notice.empty() && server) {
        // The line ends before Blue's hand; the whole of a long reason is on the terminal.
        constexpr std::size_t kLineColumns = 53;
        std::string line = server->statusLine();
        if (line.size() > kLineColumns) {
            line = line.substr(0, kLineColumns - 2) + "..";
        }
        return line;
    }
    return notice;
}

void GameScene::describeStandard(FrameState& frame) const {
    frame.notice = noticeShown();
    describeClocks(frame);
    if (hint_) {
        frame.hintFrom = hint_->shown().from;
        frame.hintTo = hint_->shown().to;
        frame.hintDrop = hint_->shown().drop;
    }
    frame.standard = rules() == RuleSet::Standard;
    if (!frame.standard) {
        return;
    }
    const Position& position = match.position();
    frame.hands = position.hands;
    frame.lastFrom = frame.lastTo = -1;
    if (const Move* last = match.lastMove()) {
        frame.lastFrom = last->dropped ? -1 : squareIndex(last->fromColumn, last->fromRow);
        frame.lastTo = squareIndex(last->toColumn, last->toRow);
    }
    frame.checkedKing = inCheck(position, position.sideToMove)
                            ? kingSquare(position.board, position.sideToMove)
                            : -1;
    frame.choiceSquare = -1;
    frame.choicePiece = frame.choiceOwner = 0;
    if (choosingPromotion) {
        frame.choiceSquare = squareIndex(pendingMove.toColumn, pendingMove.toRow);
        const Cell mover = position.board.cellAt(pendingMove.fromColumn, pendingMove.fromRow);
        frame.choicePiece = mover.piece;
        frame.choiceOwner = mover.owner;
    }
    frame.ending = match.outcome().how;
    frame.winner = match.outcome().winner;
    frame.handPick =
        selected.piece != -1 && selected.column < 0 ? selected.owner * 16 + selected.piece : -1;
}

void GameScene::drawHands() const {
    const Position& position = match.position();
    const int countCells = kMostInHand - 1;
    for (int side = 0; side < 2; ++side) {
        // Each hand is drawn at the end of the board its side is shown at, facing the same way.
        const int shown = shownSide(side);
        const Image& shadow = side == 0 ? blueShadow : redShadow;
        const Image* pictures = piecesOf(side);
        const Image& counts = countsOf(side);
        const int cellWidth = counts.width() / countCells;
        const int cellHeight = counts.height();
        for (int index = 0; index < kHandKindCount; ++index) {
            const int kind = kHandKinds[index];
            const int held = position.hands[side][kind];
            if (held == 0) {
                continue;
            }
            const Box slot = handSlot(shown, index);
            if (selected.piece == kind && selected.column < 0 && selected.owner == side) {
                handLight.draw(screen, static_cast<Sint16>(slot.left),
                               static_cast<Sint16>(slot.top));
            }
            shadow.draw(screen,
                        static_cast<Sint16>(slot.left + slot.width / 2 - shadow.width() / 2),
                        static_cast<Sint16>(slot.top + kShadowMiddle - shadow.height() / 2));
            standPiece(screen, pictures[kind], slot.left, slot.top, slot.width);
            if (held >= 2 && cellWidth > 0) {
                // Blue reads its count at the slot's lower right; Red's stand is turned, so
                // its counts sit at the upper left, upside down to Blue.
                const int count = held > kMostInHand ? kMostInHand : held;
                const int x = shown == 0 ? slot.left + slot.width - cellWidth : slot.left;
                const int y = shown == 0 ? slot.top + slot.height - cellHeight : slot.top;
                counts.drawPart(screen, static_cast<Sint16>(x), static_cast<Sint16>(y),
                                static_cast<Sint16>(cellWidth * (count - 2)), 0,
                                static_cast<Uint16>(cellWidth), static_cast<Uint16>(cellHeight));
            }
        }
    }
}

void GameScene::drawPromotionChoice() const {
    const Cell mover = match.position().board.cellAt(pendingMove.fromColumn, pendingMove.fromRow);
    if (mover.piece <= Empty || mover.piece >= King) {
        return;
    }
    const Square to = viewed({pendingMove.toColumn, pendingMove.toRow});
    const Box choice = promotionChoice(to.column, to.row);
    promotionPlaque.draw(screen, static_cast<Sint16>(choice.left), static_cast<Sint16>(choice.top));
    const Image* pictures = piecesOf(mover.owner);
    standPiece(screen, pictures[mover.piece + 1], choice.left, choice.top, kSquareSize);
    standPiece(screen, pictures[mover.piece], choice.left + kSquareSize, choice.top, kSquareSize);
}

void GameScene::drawStandard() const {
    // draw() has just remembered this frame's state; it is what is painted.
    const FrameState& shown = lastFrame_;

    standardBackground.draw(screen, 0, 0);
    drawTurnedCoordinates(standardBackground);
    // Under the portrait, which a selection shows where the names are.
    drawNames();
    if (selected.piece != -1) {
        portrait.draw(screen, static_cast<Sint16>(kWindowWidth - portrait.width()), 0);
    }
    boardPicture.draw(screen, kBoardLeft, kBoardTop);
    // Beneath the highlights, so the squares a piece may go to read through the last move.
    for (const int index : {shown.lastFrom, shown.lastTo}) {
        if (index >= 0) {
            const Square at = viewed({index % kBoardSize, index / kBoardSize});
            lastMoveMark.draw(screen, static_cast<Sint16>(squareLeft(at.column)),
                              static_cast<Sint16>(squareTop(at.row)));
        }
    }
    if (shown.checkedKing >= 0) {
        const Square at = viewed({shown.checkedKing % kBoardSize, shown.checkedKing / kBoardSize});
        checkMark.draw(screen, static_cast<Sint16>(squareLeft(at.column)),
                       static_cast<Sint16>(squareTop(at.row)));
    }
    // The standard rules mark their squares as the screen shows them, for either side.
    drawHighlights(false);
    drawHint();
    drawPieces();
    drawHands();
    if (choosingPromotion) {
        drawPromotionChoice();
    }
    const int ending = static_cast<int>(shown.ending);
    if (ending > 0 && ending < kEndingCount && shown.winner >= -1 && shown.winner <= 1) {
        const Image& banner = banners[ending][shown.winner + 1];
        banner.draw(screen,
                    static_cast<Sint16>((kBoardLeft + kBoardRight) / 2 - banner.width() / 2),
                    static_cast<Sint16>((kBoardTop + kBoardBottom) / 2 - banner.height() / 2));
    }
    if (turn() == 0) {
        drawText(screen, 650, 50, "Blue");
    } else {
        drawText(screen, 650, 50, "Red");
    }
    if (!shown.notice.empty()) {
        drawText(screen, kNoticeLeft, kNoticeTop, "%s", shown.notice.c_str());
    }
    drawClocks();
    drawStatusMarks();
}

}  // namespace ixo
