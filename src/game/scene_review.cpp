#include <algorithm>
#include <string>

#include "game/evaluation_graph.h"
#include "game/game_scene.h"
#include "game/move_list.h"
#include "game/turn_controller.h"
#include "input/keyboard.h"
#include "input/mouse.h"
#include "match/game_analysis.h"
#include "match/live_analysis.h"
#include "media/ttf_text.h"

namespace ixo {

namespace {

// The review's panel takes the strip right of the board's rank numbers, from under the turn's
// label to above Blue's hand and the line that says the record is not kept, which stay as
// they are: names, the list, the current move's comment, and the evaluation graph.
constexpr int kReviewLeft = 602;  // clear of the ranks' numerals right of the board
constexpr int kReviewWidth = 194;
constexpr Box kNamesArea{kReviewLeft, 66, kReviewWidth, 36};
constexpr Box kListArea{kReviewLeft, 104, kReviewWidth, 214};
constexpr Box kCommentArea{kReviewLeft, 320, kReviewWidth, 70};
constexpr Box kGraphArea{kReviewLeft, 392, kReviewWidth, 74};
constexpr Box kReviewArea{kReviewLeft, kNamesArea.top, kReviewWidth,
                          kGraphArea.top + kGraphArea.height - kNamesArea.top};
// Legible at scale 1 in a column this wide, a move and its label on one row.
constexpr int kReviewPointSize = 12;

// L's lines take the comment's place, one row each.
constexpr int kLiveTop = kCommentArea.top + 2;

constexpr SDL_Color kPanelText{0xe8, 0xe4, 0xd8, 0};
constexpr SDL_Color kCommentText{0xd0, 0xcc, 0xc0, 0};

// The node `ply` moves down the main line; null beyond its end.
const RecordNode* mainLineAt(const GameRecord& record, int ply) {
    const RecordNode* node = &record.root();
    while (node && node->ply < ply) {
        node = node->mainChild();
    }
    return node;
}

const std::string* headerValue(const GameRecord& record, const char* key) {
    for (const RecordHeader& header : record.headers) {
        if (header.key == key) {
            return &header.value;
        }
    }
    return nullptr;
}

}  // namespace

bool GameScene::takesEscape() const {
    return newGamePanel.isOpen() || (analysis_ && analysis_->running()) || previewing();
}

void GameScene::startPreview(int line) {
    if (!live_ || line < 0 || line >= static_cast<int>(live_->lines().size())) {
        return;
    }
    settle(*this);
    setReviewing(true);
    preview_.line = line;
    previewFrom_ = &match.current();
    preview_.moves = live_->lines()[static_cast<std::size_t>(line)].moves;
    stepPreview(1);
}

void GameScene::stepPreview(int shown) {
    shown = std::clamp(shown, 0, static_cast<int>(preview_.moves.size()));
    Position position = match.position();
    for (int index = 0; index < shown; ++index) {
        const Move& move = preview_.moves[static_cast<std::size_t>(index)];
        MoveRequest request = requestOf(move);
        playMove(position, request, rules());
    }
    preview_.position = position;
    preview_.shown = shown;
}

void GameScene::endPreview() {
    preview_ = Preview{};
    previewFrom_ = nullptr;
}

void GameScene::keepPreview() {
    const std::vector<Move> moves(preview_.moves.begin(), preview_.moves.begin() + preview_.shown);
    endPreview();
    for (const Move& move : moves) {
        Move made;
        if (match.play(requestOf(move), &made) != Refusal::None) {
            break;
        }
        settle(*this);
        notify(made, MoveEvent::Played);
    }
}

void GameScene::updatePreview() {
    const Keyboard& keys = Keyboard::instance();
    if (keys.presses(SDLK_ESCAPE) > 0 || keys.presses(SDLK_HOME) > 0) {
        endPreview();
        return;
    }
    const int step = keys.presses(SDLK_RIGHT) - keys.presses(SDLK_LEFT);
    if (preview_.shown + step <= 0) {
        endPreview();
    } else if (step != 0) {
        stepPreview(preview_.shown + step);
    }
}

void GameScene::setReviewing(bool shown) {
    reviewing = shown;
    if (reviewing) {
        makeReviewViews();
    }
}

std::array<std::string, 2> GameScene::recordNames() const {
    std::array<std::string, 2> names;
    const GameRecord& record = match.record();
    // A handicap game names the giver (上手, who moves first) and the taker.
    const char* keys[2][2] = {{"先手", "下手"}, {"後手", "上手"}};
    for (int side = 0; side < 2; ++side) {
        for (const char* key : keys[side]) {
            if (const std::string* value = headerValue(record, key)) {
                names[side] = *value;
                break;
            }
        }
    }
    return names;
}

void GameScene::makeReviewViews() {
    if (!moveList_) {
        moveList_ = std::make_unique<MoveList>(kListArea);
        evaluationGraph_ = std::make_unique<EvaluationGraph>(kGraphArea);
    }
    if (!reviewFontTried_) {
        reviewFontTried_ = true;
        reviewFont_ = std::make_unique<TrueTypeText>();
        std::string why;
        if (!reviewFont_->open(kReviewPointSize, why)) {
            // The list still shows where it is and takes clicks; the terminal says what is
            // missing for its text.
            std::fprintf(stderr, "ixo-shogi: the move list has no font for its text: %s\n",
                         why.c_str());
        }
    }
}

int GameScene::liveLineAt(int x, int y) const {
    if (!live_ || !live_->on() || !reviewFont_ || !reviewFont_->ready() ||
        !kCommentArea.contains(x, y)) {
        return -1;
    }
    const int line = (y - kLiveTop) / reviewFont_->lineHeight();
    return y >= kLiveTop && line < static_cast<int>(live_->lines().size()) ? line : -1;
}

void GameScene::readAnalysts() {
    if (analysis_) {
        analysis_->update(match);
        analysisNotice_.show(analysis_->notice(), notice);
    }
    if (live_) {
        live_->update(match);
        liveNotice_.show(live_->notice(), notice);
    }
}

bool GameScene::updateReview() {
    const Keyboard& keys = Keyboard::instance();
    Mouse& mouse = Mouse::instance();
    if (keys.presses(SDLK_k) % 2 != 0) {
        setReviewing(!reviewing);
    }
    if (keys.presses(SDLK_l) % 2 != 0) {
        if (live_) {
            setReviewing(true);
            live_->toggle(match);
            liveNotice_.show(live_->notice(), notice);
        } else {
            notice = "No engine for live analysis";
        }
    }
    // A line of a position the match has left (a computer's move, say) shows nothing true.
    if (previewing() && (!live_ || !live_->on() || &match.current() != previewFrom_)) {
        endPreview();
    }
    for (int line = 0; line < LiveAnalysis::kLineCount; ++line) {
        if (keys.presses(static_cast<SDLKey>(SDLK_1 + line)) > 0) {
            startPreview(line);
        }
    }
    if (previewing()) {
        updatePreview();
    } else {
        stepThroughRecord();
    }
    if (!reviewing) {
        return false;
    }
    followInViews();
    if (mouse.wheelSteps() != 0 && kListArea.contains(mouse.x, mouse.y)) {
        moveList_->scrollBy(mouse.wheelSteps());
    }
    if (!mouse.leftReleased()) {
        return false;
    }
    if (!kReviewArea.contains(mouse.x, mouse.y)) {
        if (previewing()) {
            // A move from the position shown: the line up to it becomes part of the game.
            keepPreview();
        }
        return false;
    }
    if (const int line = liveLineAt(mouse.x, mouse.y); line >= 0) {
        startPreview(line);
    } else if (const RecordNode* row = moveList_->nodeAt(mouse.x, mouse.y)) {
        endPreview();
        jumpTo(*this, *row);
    } else if (const int ply = evaluationGraph_->plyAt(mouse.x, mouse.y); ply >= 0) {
        if (const RecordNode* node = mainLineAt(match.record(), ply)) {
            endPreview();
            jumpTo(*this, *node);
        }
    }
    // A click on the panel is the panel's, never a click beside the board.
    return true;
}

void GameScene::stepThroughRecord() {
    const Keyboard& keys = Keyboard::instance();
    const int steps = keys.presses(SDLK_LEFT) + keys.presses(SDLK_RIGHT) + keys.presses(SDLK_HOME) +
                      keys.presses(SDLK_END) + keys.presses(SDLK_UP) + keys.presses(SDLK_DOWN);
    if (steps > 0 && !reviewing) {
        setReviewing(true);
    }
    for (int count = keys.presses(SDLK_LEFT); count > 0 && takeBackPly(*this); --count) {
    }
    for (int count = keys.presses(SDLK_RIGHT); count > 0 && replayPly(*this); --count) {
    }
    if (keys.presses(SDLK_HOME) > 0) {
        jumpTo(*this, match.record().root());
    }
    if (keys.presses(SDLK_END) > 0) {
        const RecordNode* end = &match.current();
        while (end->mainChild()) {
            end = end->mainChild();
        }
        jumpTo(*this, *end);
    }
    // Up and Down choose among the moves played at this point: the main line's and each
    // variation's.
    const int across = keys.presses(SDLK_DOWN) - keys.presses(SDLK_UP);
    if (across != 0 && match.current().parent) {
        const RecordNode& parent = *match.current().parent;
        const int index = parent.indexOf(&match.current()) + across;
        if (index >= 0 && index < static_cast<int>(parent.children.size())) {
            jumpTo(*this, *parent.children[index]);
        }
    }
    if (keys.presses(SDLK_o) > 0) {
        if (computer_) {
            notice = "The computer already plays";
        } else if (match.finished()) {
            notice = "The game is over here";
        } else {
            playOnAsked_ = true;
        }
    }
    if (keys.presses(SDLK_a) % 2 != 0) {
        if (analysis_) {
            setReviewing(true);
            analysis_->toggle(match);
        } else {
            notice = "No engine for analysis";
        }
    } else if (keys.presses(SDLK_ESCAPE) > 0 && analysis_) {
        analysis_->stop();
    }
    if (analysis_) {
        analysisNotice_.show(analysis_->notice(), notice);
    }
}

void GameScene::followInViews() const {
    moveList_->follow(match.record(), match.current());
    evaluationGraph_->setChances(EvaluationGraph::chancesAlong(match.record()));
    evaluationGraph_->setCurrent(match.current().ply);
    const bool running = analysis_ && analysis_->running();
    evaluationGraph_->setProgress(running ? analysis_->done() : 0,
                                  running ? analysis_->total() : 0);
}

void GameScene::drawReview() const {
    followInViews();
    const MoveList& list = *moveList_;
    const EvaluationGraph& graph = *evaluationGraph_;

    // One ground under all its parts, so no strip of the help behind shows between them.
    fillBox(screen, kReviewArea, kReviewGround);
    const TrueTypeText& font = *reviewFont_;
    if (font.ready()) {
        const std::array<std::string, 2> players = recordNames();
        for (int side = 0; side < 2; ++side) {
            const std::string line =
                std::string(side == 0 ? "▲ " : "△ ") +
                (players[side].empty() ? (side == 0 ? "Blue" : "Red") : players[side]);
            font.draw(screen, kNamesArea.left + 4, kNamesArea.top + 1 + side * font.lineHeight(),
                      line, kPanelText);
        }
    }
    list.draw(screen, font);
    if (live_ && live_->on()) {
        drawLiveLines();
    } else {
        drawComment(screen, font, kCommentArea, match.current().comment, kCommentText);
    }
    graph.draw(screen);
}

void GameScene::drawLiveLines() const {
    ClipTo clip(screen, kCommentArea);
    if (!clip.any()) {
        return;
    }
    fillBox(screen, kCommentArea, kReviewGround);
    const TrueTypeText& font = *reviewFont_;
    if (!font.ready()) {
        return;
    }
    const std::vector<LiveAnalysis::Line>& lines = live_->lines();
    for (std::size_t index = 0; index < lines.size(); ++index) {
        const int top = kLiveTop + static_cast<int>(index) * font.lineHeight();
        if (static_cast<int>(index) == preview_.line) {
            fillBox(screen, Box{kCommentArea.left, top, kCommentArea.width, font.lineHeight()},
                    kReviewBar);
        }
        const std::string row =
            std::to_string(index + 1) + " " + lines[index].score + " " + lines[index].text;
        font.draw(screen, kCommentArea.left + 3, top, row, kPanelText);
    }
    if (lines.empty()) {
        font.draw(screen, kCommentArea.left + 3, kLiveTop, "…", kCommentText);
    }
}

}  // namespace ixo
