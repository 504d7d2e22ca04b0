#include "game/game_scene.h"
#include "game/geometry.h"
#include "media/text.h"

#include <utility>

namespace ixo {

namespace {

// Shadows sit a little right of the square's edge with their middle 50 pixels down, and a
// piece stands centred with its foot 4 pixels above the square's bottom edge; together they
// make the pieces look raised off the board.
constexpr int kShadowInset = 4;
constexpr int kShadowMiddle = 50;
constexpr int kPieceFoot = kSquareSize - 4;

// Both sit in the empty strip below the panel's title, so they cover nothing that is drawn
// there in any state, and leave the frame as it always was while neither shows. The standard
// rules keep Blue's hand there: the speaker goes below Red's hand, and the line between
// the help and Blue's hand, clear of the text line under the board.
struct StatusPlaces {
    int noticeX, noticeY, speakerX, speakerY;
};
constexpr StatusPlaces kSimpleStatus{606, 562, 766, 566};
constexpr StatusPlaces kStandardStatus{606, 472, 20, 566};

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

bool GameScene::sameOutsideTheSquares(const FrameState& last, const FrameState& now) {
    return last.valid && last.screen == now.screen && last.redToMove == now.redToMove &&
           last.turned == now.turned && last.soundOff == now.soundOff &&
           last.notRecording == now.notRecording && last.notice == now.notice &&
           last.standard == now.standard && last.hands == now.hands &&
           last.lastFrom == now.lastFrom && last.lastTo == now.lastTo &&
           last.checkedKing == now.checkedKing && last.choiceSquare == now.choiceSquare &&
           last.choicePiece == now.choicePiece && last.choiceOwner == now.choiceOwner &&
           last.ending == now.ending && last.winner == now.winner &&
           last.handPick == now.handPick && last.clockLines == now.clockLines &&
           last.names == now.names && last.clockRunning == now.clockRunning &&
           last.hintFrom == now.hintFrom && last.hintTo == now.hintTo &&
           last.hintDrop == now.hintDrop && last.panelOpen == now.panelOpen &&
           last.panelChoice == now.panelChoice;
}

SDL_Rect GameScene::portraitPlace() const {
    // The portrait is drawn only while something is selected.
    if (selected.piece == -1 || !portrait.surface()) {
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
    frame.valid = true;
    frame.screen = screen;
    frame.redToMove = turn() != 0;
    frame.turned = turned;
    frame.pieceSelected = selected.piece != -1;
    frame.soundOff = soundOff;
    frame.notRecording = notRecording;
    frame.portrait = portrait.surface();
    frame.portraitPath = portrait.path();
    frame.portraitPlace = portraitPlace();
    for (int index = 0; index < kSquareCount; ++index) {
        frame.pieces[index] = board().cells[index].piece;
        frame.owners[index] = board().cells[index].owner;
        frame.lit[index] = moveMap.marks[index] == 1;
    }
    describeStandard(frame);
    frame.panelOpen = newGamePanel.isOpen();
    if (frame.panelOpen) {
        frame.panelChoice = newGamePanel.choice();
    }
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
    const bool mirrored = rules() == RuleSet::Simple && turn() != 0;
    for (int index = 0; index < kSquareCount; ++index) {
        const int column = index % kBoardSize;
        const int row = index / kBoardSize;
        if (last.lit[index] != now.lit[index]) {
            const Square at = viewed({column, mirrored ? kBoardSize - 1 - row : row});
            add(placed(highlight, squareLeft(at.column), squareTop(at.row)));
        }
        const Square at = viewed({column, row});
        if (last.pieces[index] != now.pieces[index] || last.owners[index] != now.owners[index]) {
            // Whatever stood there and whatever stands there now, shadow and picture, either of
            // which may reach into the neighbouring squares.
            for (const auto& [piece, owner] :
                 {std::pair<int, int>{last.pieces[index], last.owners[index]},
                  std::pair<int, int>{now.pieces[index], now.owners[index]}}) {
                if (const Image* shadow = shadowOf(piece, owner)) {
                    add(shadowPlace(*shadow, at.column, at.row));
                }
                if (const Image* picture = pictureOf(piece, owner)) {
                    add(piecePlace(*picture, at.column, at.row));
                }
            }
        }
    }
    return true;
}

void GameScene::drawHighlights(bool mirrored) const {
    for (int row = 0; row < kBoardSize; ++row) {
        for (int column = 0; column < kBoardSize; ++column) {
            if (moveMap.marks[row * kBoardSize + column] != 1) {
                continue;
            }
            const Square at = viewed({column, mirrored ? kBoardSize - 1 - row : row});
            highlight.draw(screen, static_cast<Sint16>(squareLeft(at.column)),
                           static_cast<Sint16>(squareTop(at.row)));
        }
    }
}

const Image* GameScene::shadowOf(int piece, int owner) const {
    if (piece != Empty && owner == 0) {
        return &blueShadow;
    }
    return owner == 1 ? &redShadow : nullptr;
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

const Image* GameScene::pictureOf(int piece, int owner) const {
    // The arrays have a picture for each known code only; anything else stays unseen rather
    // than reading past them.
    if (piece <= Empty || piece > King) {
        return nullptr;
    }
    return &piecesOf(owner)[piece];
}

SDL_Rect GameScene::placed(const Image& picture, int x, int y) {
    return SDL_Rect{static_cast<Sint16>(x), static_cast<Sint16>(y),
                    static_cast<Uint16>(picture.width()), static_cast<Uint16>(picture.height())};
}

SDL_Rect GameScene::shadowPlace(const Image& shadow, int column, int row) {
    return placed(shadow, squareLeft(column) + kShadowInset,
                  squareTop(row) + kShadowMiddle - shadow.height() / 2);
}

SDL_Rect GameScene::piecePlace(const Image& picture, int column, int row) {
    return placed(picture, squareLeft(column) + kSquareSize / 2 - picture.width() / 2,
                  squareTop(row) + kPieceFoot - picture.height());
}

void GameScene::drawHint() const {
    const int hintFrom = lastFrame_.hintFrom;
    const int hintTo = lastFrame_.hintTo;
    const int hintDrop = lastFrame_.hintDrop;
    for (const int index : {hintFrom, hintTo}) {
        if (index >= 0 && index < kSquareCount) {
            const Square at = viewed({index % kBoardSize, index / kBoardSize});
            hintMark.draw(screen, static_cast<Sint16>(squareLeft(at.column)),
                          static_cast<Sint16>(squareTop(at.row)));
        }
    }
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
            const Cell& cell = board().cells[row * kBoardSize + column];
            if (const Image* shadow = shadowOf(cell.piece, cell.owner)) {
                const Square square = viewed({column, row});
                const SDL_Rect at = shadowPlace(*shadow, square.column, square.row);
                shadow->draw(screen, at.x, at.y);
            }
        }
    }
    for (int row = 0; row < kBoardSize; ++row) {
        for (int column = 0; column < kBoardSize; ++column) {
            const Cell& cell = board().cells[row * kBoardSize + column];
            if (const Image* picture = pictureOf(cell.piece, cell.owner)) {
                const Square square = viewed({column, row});
                const SDL_Rect at = piecePlace(*picture, square.column, square.row);
                picture->draw(screen, at.x, at.y);
            }
        }
    }
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
    if (rules() == RuleSet::Standard) {
        drawStandard();
        return;
    }
    background.draw(screen, 0, 0);
    drawTurnedCoordinates(background);
    // Under the board, so a wide portrait never hides a square.
    if (selected.piece != -1) {
        portrait.draw(screen, static_cast<Sint16>(kWindowWidth - portrait.width()), 0);
    }
    boardPicture.draw(screen, kBoardLeft, kBoardTop);
    // Red's map is held in its mirrored frame, so its rows are turned back to the screen's.
    drawHighlights(turn() != 0);
    drawHint();
    drawPieces();

    // Literal formats: the label must never be read as a format with arguments missing.
    if (turn() == 0) {
        drawText(screen, 650, 50, "Blue");
    } else {
        drawText(screen, 650, 50, "Red");
    }
    // draw() has just remembered this frame's state; it is what is painted.
    const FrameState& shown = lastFrame_;
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
    const StatusPlaces& at = rules() == RuleSet::Standard ? kStandardStatus : kSimpleStatus;
    if (notRecording) {
        drawText(screen, at.noticeX, at.noticeY, "Not recording");
    }
    if (soundOff) {
        drawSpeakerOff(screen, at.speakerX, at.speakerY);
    }
}

}  // namespace ixo
