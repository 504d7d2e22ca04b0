#include "game/game_scene.h"

#include "game/geometry.h"
#include "game/move_list.h"
#include "game/play_style.h"
#include "match/game_analysis.h"
#include "match/hint_engine.h"
#include "match/live_analysis.h"
#include "match/server_player.h"
#include "media/text.h"
#include "util/format.h"

#include <utility>

namespace ixo {

namespace {

// Shadows sit a little right of the square's edge with their middle 50 pixels down, and a
// piece stands centred with its foot 4 pixels above the square's bottom edge; together they
// make the pieces look raised off the board. Pieces in hand stand on their slots the same way.
constexpr int kShadowInset = 4;
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

// A loudspeaker crossed out, 24 pixels square, in the panel's light grey.
void drawSpeakerOff(SDL_Surface* screen, int x, int y) {
    const Uint32 colour = SDL_MapRGB(screen->format, 0xd8, 0xd8, 0xd0);
    const auto fill = [&](int left, int top, int width, int height) {
        SDL_Rect rect{static_cast<Sint16>(x + left), static_cast<Sint16>(y + top),
                      static_cast<Uint16>(width), static_cast<Uint16>(height)};
        SDL_FillRect(screen, &rect, colour);
    };
    fill(0, 8, 5, 8);  // the magnet
    for (int step = 0; step < 7; ++step) {
        fill(5 + step, 7 - step, 1, 10 + 2 * step);  // the cone widening outward
    }
    for (int step = 0; step < 9; ++step) {
        fill(14 + step, 7 + step, 2, 2);  // the cross
        fill(14 + step, 15 - step, 2, 2);
    }
}

}  // namespace

void GameScene::loadRuleSetPictures() {
    if (ruleSetPicturesLoaded_ || !playStyle(rules()).ownPictures) {
        return;
    }
    ruleSetPicturesLoaded_ = true;
    const std::string& folder = pictureFolder;
    loadPicture(ruleSetBackground, folder + "bg-standard.jpg");
    ruleSetBackground.matchScreenFormat();
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
    if (choosingPromotion && asking == Question::None) {
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

bool GameScene::sameOutsideTheSquares(const FrameState& last, const FrameState& now) {
    return last.valid && last.screen == now.screen && last.redToMove == now.redToMove &&
           last.turned == now.turned && last.soundOff == now.soundOff &&
           last.notRecording == now.notRecording && last.notice == now.notice &&
           last.rules == now.rules && last.hands == now.hands && last.lastFrom == now.lastFrom &&
           last.lastTo == now.lastTo && last.checkedKing == now.checkedKing &&
           last.choiceSquare == now.choiceSquare && last.choicePiece == now.choicePiece &&
           last.choiceOwner == now.choiceOwner && last.ending == now.ending &&
           last.winner == now.winner && last.handPick == now.handPick &&
           last.clockLines == now.clockLines && last.names == now.names &&
           last.clockRunning == now.clockRunning && last.hintFrom == now.hintFrom &&
           last.hintTo == now.hintTo && last.hintDrop == now.hintDrop &&
           last.panelOpen == now.panelOpen && last.panelChoice == now.panelChoice &&
           last.panelServer == now.panelServer && last.reviewing == now.reviewing &&
           last.reviewAt == now.reviewAt && last.analysisSerial == now.analysisSerial &&
           last.listFirst == now.listFirst && last.liveSerial == now.liveSerial &&
           last.previewLine == now.previewLine && last.previewShown == now.previewShown;
}

SDL_Rect GameScene::portraitPlace() const {
    // The portrait is drawn only while something is selected, and gives way to the review.
    if (selected.piece == -1 || !portrait.surface() || reviewing) {
        return SDL_Rect{0, 0, 0, 0};
    }
    return placed(portrait, kWindowWidth - portrait.width(), 0);
}

bool GameScene::samePortrait(const FrameState& last, const FrameState& now) {
    const SDL_Rect& was = last.portraitPlace;
    const SDL_Rect& is = now.portraitPlace;
    if (is.x != was.x || is.y != was.y || is.w != was.w || is.h != was.h) {
        return false;
    }
    // A new picture may land where the old one was freed, so its path tells it apart as well.
    return is.w == 0 || (last.portrait == now.portrait && last.portraitPath == now.portraitPath);
}

bool GameScene::sameFrame(const FrameState& last, const FrameState& now) {
    return sameOutsideTheSquares(last, now) && samePortrait(last, now) &&
           last.pieceSelected == now.pieceSelected && last.pieces == now.pieces &&
           last.owners == now.owners && last.lit == now.lit;
}

void GameScene::describeFrame(FrameState& frame) const {
    const PlayStyle& style = playStyle(rules());
    const Position& position = shownPosition();
    frame.valid = true;
    frame.screen = screen;
    frame.rules = rules();
    frame.redToMove = shownPosition().sideToMove != 0;
    frame.turned = turned;
    frame.pieceSelected = selected.piece != -1;
    frame.soundOff = soundOff;
    frame.notRecording = notRecording;
    frame.portrait = portrait.surface();
    frame.portraitPath = portrait.path();
    frame.portraitPlace = portraitPlace();
    for (int index = 0; index < kSquareCount; ++index) {
        frame.pieces[index] = position.board.cells[index].piece;
        frame.owners[index] = position.board.cells[index].owner;
        frame.lit[index] = moveMap.marks[index] == 1;
    }
    frame.notice = noticeShown();
    describeClocks(frame);
    if (hint_) {
        frame.hintFrom = hint_->shown().from;
        frame.hintTo = hint_->shown().to;
        frame.hintDrop = hint_->shown().drop;
    }
    frame.hands = position.hands;
    frame.lastFrom = frame.lastTo = -1;
    const Move* last = !style.lastMoveMarks ? nullptr
                       : previewing() && preview_.shown > 0
                           ? &preview_.moves[static_cast<std::size_t>(preview_.shown) - 1]
                           : match.lastMove();
    if (last) {
        frame.lastFrom = last->dropped ? -1 : squareIndex(last->fromColumn, last->fromRow);
        frame.lastTo = squareIndex(last->toColumn, last->toRow);
    }
    frame.checkedKing = style.checkMarks && inCheck(position, position.sideToMove)
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
    // Without banners an ending shows in the notice alone.
    frame.ending = style.endings ? match.outcome().how : GameEnd::None;
    frame.winner = style.endings ? match.outcome().winner : -1;
    frame.handPick =
        selected.piece != -1 && selected.column < 0 ? selected.owner * 16 + selected.piece : -1;
    frame.reviewing = reviewing;
    if (reviewing) {
        frame.reviewAt = &match.current();
        frame.analysisSerial = analysis_ ? analysis_->serial() : 0;
        frame.listFirst = moveList_->firstShown();
        frame.liveSerial = live_ ? live_->serial() : 0;
        frame.previewLine = preview_.line;
        frame.previewShown = preview_.shown;
    }
    frame.panelOpen = newGamePanel.isOpen();
    if (frame.panelOpen) {
        frame.panelChoice = newGamePanel.choice();
        frame.panelServer = newGamePanel.serverChosen();
    }
}

bool GameScene::litMirrored() const {
    return playStyle(rules()).moversFrame && turn() != 0;
}

bool GameScene::changedAreas(const FrameState& last, const FrameState& now,
                             std::vector<SDL_Rect>& areas) const {
    areas.clear();
    // The label, the notice, the hands and the marks span much of the frame or move with the
    // turn; a frame that changes any of them is painted whole.
    if (now.panelOpen) {
        return false;  // the panel lies over the squares too
    }
    if (!sameOutsideTheSquares(last, now)) {
        // A running clock's second changes the clocks alone, every second: only they are
        // painted again, rather than the whole frame while a player only waits.
        FrameState clocksAsBefore = now;
        clocksAsBefore.clockLines = last.clockLines;
        clocksAsBefore.clockRunning = last.clockRunning;
        if (last.clockLines[0].empty() || now.clockLines[0].empty() ||
            !sameOutsideTheSquares(last, clocksAsBefore)) {
            return false;
        }
        for (const SDL_Rect& area : clockAreas()) {
            areas.push_back(area);
        }
    }
    const auto add = [&](const SDL_Rect& area) {
        if (area.w > 0 && area.h > 0) {
            areas.push_back(area);
        }
    };
    if (!samePortrait(last, now)) {
        add(last.portraitPlace);
        add(now.portraitPlace);
    }
    const bool mirrored = litMirrored();
    for (int index = 0; index < kSquareCount; ++index) {
        const int column = index % kBoardSize;
        const int row = index / kBoardSize;
        if (last.lit[index] != now.lit[index]) {
            const SDL_Rect corner = squareCorner(column, mirrored ? kBoardSize - 1 - row : row);
            add(placed(highlight, corner.x, corner.y));
        }
        if (last.pieces[index] != now.pieces[index] || last.owners[index] != now.owners[index]) {
            // Whatever stood there and whatever stands there now, shadow and picture, either of
            // which may reach into the neighbouring squares.
            for (const auto& [piece, owner] :
                 {std::pair<int, int>{last.pieces[index], last.owners[index]},
                  std::pair<int, int>{now.pieces[index], now.owners[index]}}) {
                if (const Image* shadow = shadowOf(piece, owner)) {
                    add(shadowPlace(*shadow, column, row));
                }
                if (const Image* picture = pictureOf(piece, owner)) {
                    add(piecePlace(*picture, column, row));
                }
            }
        }
    }
    return true;
}

void GameScene::drawOnSquare(const Image& picture, int index) const {
    if (index >= 0 && index < kSquareCount) {
        const SDL_Rect corner = squareCorner(index % kBoardSize, index / kBoardSize);
        picture.draw(screen, corner.x, corner.y);
    }
}

void GameScene::drawHighlights() const {
    // A selection kept in the mover's frame has its rows turned back to the screen's.
    const bool mirrored = litMirrored();
    for (int row = 0; row < kBoardSize; ++row) {
        for (int column = 0; column < kBoardSize; ++column) {
            if (moveMap.marks[row * kBoardSize + column] == 1) {
                drawOnSquare(highlight, squareIndex(column, mirrored ? kBoardSize - 1 - row : row));
            }
        }
    }
}

const Image* GameScene::shadowOf(int piece, int owner) const {
    if (piece != Empty && owner == 0) {
        return &blueShadow;
    }
    return owner == 1 ? &redShadow : nullptr;
}

const Image* GameScene::pictureOf(int piece, int owner) const {
    // The arrays have a picture for each known code only; anything else stays unseen rather
    // than reading past them.
    if (piece <= Empty || piece > King) {
        return nullptr;
    }
    return &piecesOf(owner)[piece];
}

void GameScene::setTurned(bool seenFromRed) {
    turned = seenFromRed;
    if (!turned || turnedPicturesMade_) {
        return;
    }
    turnedPicturesMade_ = true;
    for (int code = 1; code <= King; ++code) {
        turnedPieces[0][code].loadTurned(bluePieces[code]);
        turnedPieces[1][code].loadTurned(redPieces[code]);
    }
    turnedCounts[0].loadTurned(handCounts[0]);
    turnedCounts[1].loadTurned(handCounts[1]);
}

const Image* GameScene::piecesOf(int side) const {
    if (turned) {
        return turnedPieces[side == 1 ? 1 : 0];
    }
    return side == 1 ? redPieces : bluePieces;
}

const Image& GameScene::countsOf(int side) const {
    return turned ? turnedCounts[side] : handCounts[side];
}

SDL_Rect GameScene::squareCorner(int column, int row) const {
    const Square at = viewed({column, row});
    return SDL_Rect{static_cast<Sint16>(squareLeft(at.column)),
                    static_cast<Sint16>(squareTop(at.row)), 0, 0};
}

SDL_Rect GameScene::placed(const Image& picture, int x, int y) {
    return SDL_Rect{static_cast<Sint16>(x), static_cast<Sint16>(y),
                    static_cast<Uint16>(picture.width()), static_cast<Uint16>(picture.height())};
}

SDL_Rect GameScene::shadowPlace(const Image& shadow, int column, int row) const {
    const SDL_Rect corner = squareCorner(column, row);
    return placed(shadow, corner.x + kShadowInset, corner.y + kShadowMiddle - shadow.height() / 2);
}

SDL_Rect GameScene::piecePlace(const Image& picture, int column, int row) const {
    const SDL_Rect corner = squareCorner(column, row);
    return placed(picture, corner.x + kSquareSize / 2 - picture.width() / 2,
                  corner.y + kPieceFoot - picture.height());
}

void GameScene::drawHint() const {
    const int hintDrop = lastFrame_.hintDrop;
    drawOnSquare(hintMark, lastFrame_.hintFrom);
    drawOnSquare(hintMark, lastFrame_.hintTo);
    const int kind = hintDrop % 16;
    for (int slot = 0; hintDrop >= 0 && slot < kHandKindCount; ++slot) {
        if (kHandKinds[slot] == kind) {
            const Box box = handSlot(shownSide(hintDrop / 16), slot);
            hintMark.draw(screen, static_cast<Sint16>(box.left + box.width / 2 - kSquareSize / 2),
                          static_cast<Sint16>(box.top));
        }
    }
}

void GameScene::drawPieces() const {
    // All shadows before any piece: a tall piece reaching into the square above or below must
    // never be painted over by a neighbour's shadow.
    for (int row = 0; row < kBoardSize; ++row) {
        for (int column = 0; column < kBoardSize; ++column) {
            const Cell& cell = shownPosition().board.cells[row * kBoardSize + column];
            if (const Image* shadow = shadowOf(cell.piece, cell.owner)) {
                const SDL_Rect at = shadowPlace(*shadow, column, row);
                shadow->draw(screen, at.x, at.y);
            }
        }
    }
    for (int row = 0; row < kBoardSize; ++row) {
        for (int column = 0; column < kBoardSize; ++column) {
            const Cell& cell = shownPosition().board.cells[row * kBoardSize + column];
            if (const Image* picture = pictureOf(cell.piece, cell.owner)) {
                const SDL_Rect at = piecePlace(*picture, column, row);
                picture->draw(screen, at.x, at.y);
            }
        }
    }
}

void GameScene::drawHands() const {
    const Position& position = shownPosition();
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

void GameScene::drawBanner() const {
    const FrameState& shown = lastFrame_;
    const int ending = static_cast<int>(shown.ending);
    if (ending <= 0 || ending >= kEndingCount || shown.winner < -1 || shown.winner > 1) {
        return;
    }
    const Image& banner = banners[ending][shown.winner + 1];
    banner.draw(screen, static_cast<Sint16>((kBoardLeft + kBoardRight) / 2 - banner.width() / 2),
                static_cast<Sint16>((kBoardTop + kBoardBottom) / 2 - banner.height() / 2));
}

bool GameScene::draw() {
    if (beginPending_) {
        beginPending_ = false;
        return false;
    }
    // Described once a pass, and compared with what the last painted frame was made from.
    FrameState now;
    describeFrame(now);
    if (sameFrame(lastFrame_, now)) {
        return false;
    }
    // Only what changed is painted again, every layer in its order but clipped to the places
    // that changed; everywhere else the surface already holds what a whole frame would paint.
    // Painting the whole frame took as long as sending it at twice the size.
    const bool inPlaces = changedAreas(lastFrame_, now, changedAreas_);
    lastFrame_ = std::move(now);
    if (!inPlaces) {
        paintFrame();
        newGamePanel.draw(screen);
        return true;
    }
    SDL_Rect clip;
    SDL_GetClipRect(screen, &clip);
    for (const SDL_Rect& area : changedAreas_) {
        SDL_Rect within = area;
        SDL_SetClipRect(screen, &within);
        paintFrame();
    }
    SDL_SetClipRect(screen, &clip);
    return true;
}

void GameScene::paintFrame() const {
    // draw() has just remembered this frame's state; it is what is painted.
    const FrameState& shown = lastFrame_;
    const PlayStyle& style = playStyle(shown.rules);
    const Image& backdrop = style.ownPictures ? ruleSetBackground : background;
    backdrop.draw(screen, 0, 0);
    drawTurnedCoordinates(backdrop);
    // Under the portrait, which a selection shows where the names are.
    drawNames();
    // Under the board, so a wide portrait never hides a square.
    if (selected.piece != -1 && !reviewing) {
        portrait.draw(screen, static_cast<Sint16>(kWindowWidth - portrait.width()), 0);
    }
    boardPicture.draw(screen, kBoardLeft, kBoardTop);
    // Beneath the highlights, so the squares a piece may go to read through the last move.
    drawOnSquare(lastMoveMark, shown.lastFrom);
    drawOnSquare(lastMoveMark, shown.lastTo);
    drawOnSquare(checkMark, shown.checkedKing);
    drawHighlights();
    drawHint();
    drawPieces();
    drawHands();
    if (choosingPromotion) {
        drawPromotionChoice();
    }
    drawBanner();
    if (reviewing) {
        drawReview();
    }
    // Literal formats: the label must never be read as a format with arguments missing.
    if (!lastFrame_.redToMove) {
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

void GameScene::drawTurnedCoordinates(const Image& picture) const {
    if (!turned) {
        return;
    }
    // Files above the board, one square wide; ranks in the strip right of it, one square high.
    constexpr int kRankStripWidth = 32;
    for (int index = 0; index < kBoardSize; ++index) {
        const int other = kBoardSize - 1 - index;
        picture.drawPart(screen, static_cast<Sint16>(squareLeft(index)), 0,
                         static_cast<Sint16>(squareLeft(other)), 0, kSquareSize, kBoardTop);
        picture.drawPart(screen, kBoardRight, static_cast<Sint16>(squareTop(index)), kBoardRight,
                         static_cast<Sint16>(squareTop(other)), kRankStripWidth, kSquareSize);
    }
}

void GameScene::drawStatusMarks() const {
    const StatusPlaces& at = playStyle(rules()).status;
    if (notRecording) {
        drawText(screen, at.noticeX, at.noticeY, "Not recording");
    }
    if (soundOff) {
        drawSpeakerOff(screen, at.speakerX, at.speakerY);
    }
}

}  // namespace ixo
