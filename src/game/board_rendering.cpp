#include "game/game_scene.h"
#include "game/geometry.h"
#include "media/text.h"

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

bool GameScene::showsCurrentState() const {
    const FrameState& last = lastFrame_;
    if (!last.valid || last.screen != screen || last.redToMove != (turn != 0) ||
        last.pieceSelected != (selected.piece != -1) || last.soundOff != soundOff ||
        last.notRecording != notRecording) {
        return false;
    }
    // The portrait is drawn only while something is selected; a new picture may land where
    // the old one was freed, so its path tells it apart as well.
    if (last.pieceSelected &&
        (last.portrait != portrait.surface() || last.portraitPath != portrait.path())) {
        return false;
    }
    for (int index = 0; index < kSquareCount; ++index) {
        const Cell& cell = board.cells[index];
        if (last.pieces[index] != cell.piece || last.owners[index] != cell.owner ||
            last.lit[index] != (moveMap.marks[index] == 1)) {
            return false;
        }
    }
    FrameState now;
    describeStandard(now);
    return last.notice == now.notice && last.standard == now.standard && last.hands == now.hands &&
           last.lastFrom == now.lastFrom && last.lastTo == now.lastTo &&
           last.checkedKing == now.checkedKing && last.choiceSquare == now.choiceSquare &&
           last.choicePiece == now.choicePiece && last.choiceOwner == now.choiceOwner &&
           last.ending == now.ending && last.winner == now.winner &&
           last.handPick == now.handPick && last.hintFrom == now.hintFrom &&
           last.hintTo == now.hintTo && last.hintDrop == now.hintDrop;
}

void GameScene::rememberCurrentState() {
    FrameState& last = lastFrame_;
    last.valid = true;
    last.screen = screen;
    last.redToMove = turn != 0;
    last.pieceSelected = selected.piece != -1;
    last.soundOff = soundOff;
    last.notRecording = notRecording;
    last.portrait = portrait.surface();
    last.portraitPath = portrait.path();
    for (int index = 0; index < kSquareCount; ++index) {
        last.pieces[index] = board.cells[index].piece;
        last.owners[index] = board.cells[index].owner;
        last.lit[index] = moveMap.marks[index] == 1;
    }
    describeStandard(last);
}

void GameScene::drawHighlights(bool mirrored) const {
    for (int row = 0; row < kBoardSize; ++row) {
        for (int column = 0; column < kBoardSize; ++column) {
            if (moveMap.marks[row * kBoardSize + column] != 1) {
                continue;
            }
            const int screenRow = mirrored ? kBoardSize - 1 - row : row;
            highlight.draw(screen, static_cast<Sint16>(squareLeft(column)),
                           static_cast<Sint16>(squareTop(screenRow)));
        }
    }
}

void GameScene::drawHint() const {
    for (const int index : {hintFrom, hintTo}) {
        if (index >= 0 && index < kSquareCount) {
            hintMark.draw(screen, static_cast<Sint16>(squareLeft(index % kBoardSize)),
                          static_cast<Sint16>(squareTop(index / kBoardSize)));
        }
    }
    const int kind = hintDrop % 16;
    for (int slot = 0; hintDrop >= 0 && slot < kHandKindCount; ++slot) {
        if (kHandKinds[slot] == kind) {
            const Box box = handSlot(hintDrop / 16, slot);
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
            const Cell& cell = board.cells[row * kBoardSize + column];
            const Image* shadow = nullptr;
            if (cell.piece != Empty && cell.owner == 0) {
                shadow = &blueShadow;
            } else if (cell.owner == 1) {
                shadow = &redShadow;
            }
            if (shadow != nullptr) {
                shadow->draw(
                    screen, static_cast<Sint16>(squareLeft(column) + kShadowInset),
                    static_cast<Sint16>(squareTop(row) + kShadowMiddle - shadow->height() / 2));
            }
        }
    }

    for (int row = 0; row < kBoardSize; ++row) {
        for (int column = 0; column < kBoardSize; ++column) {
            const Cell& cell = board.cells[row * kBoardSize + column];
            // The arrays have a picture for each known code only; anything else stays unseen
            // rather than reading past them.
            if (cell.piece <= Empty || cell.piece > King) {
                continue;
            }
            const Image& picture = cell.owner == 1 ? redPieces[cell.piece] : bluePieces[cell.piece];
            picture.draw(
                screen,
                static_cast<Sint16>(squareLeft(column) + kSquareSize / 2 - picture.width() / 2),
                static_cast<Sint16>(squareTop(row) + kPieceFoot - picture.height()));
        }
    }
}

bool GameScene::draw() {
    if (showsCurrentState()) {
        return false;
    }
    rememberCurrentState();
    if (rules == RuleSet::Standard) {
        drawStandard();
        return true;
    }

    background.draw(screen, 0, 0);
    // Under the board, so a wide portrait never hides a square.
    if (selected.piece != -1) {
        portrait.draw(screen, static_cast<Sint16>(kWindowWidth - portrait.width()), 0);
    }
    boardPicture.draw(screen, kBoardLeft, kBoardTop);
    // Red's map is held in its mirrored frame, so its rows are turned back to the screen's.
    drawHighlights(turn != 0);
    drawHint();
    drawPieces();

    // Literal formats: the label must never be read as a format with arguments missing.
    if (turn == 0) {
        drawText(screen, 650, 50, "Blue");
    } else {
        drawText(screen, 650, 50, "Red");
    }
    if (!notice.empty()) {
        drawText(screen, kNoticeLeft, kNoticeTop, "%s", notice.c_str());
    }
    drawStatusMarks();
    return true;
}

void GameScene::drawStatusMarks() const {
    const StatusPlaces& at = rules == RuleSet::Standard ? kStandardStatus : kSimpleStatus;
    if (notRecording) {
        drawText(screen, at.noticeX, at.noticeY, "Not recording");
    }
    if (soundOff) {
        drawSpeakerOff(screen, at.speakerX, at.speakerY);
    }
}

}  // namespace ixo
