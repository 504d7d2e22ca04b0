#include "game/game_scene.h"

#include <cstdio>
#include <filesystem>
#include <system_error>
#include <utility>
#include <vector>

#include "SDL_image.h"

#include "game/evaluation_graph.h"
#include "game/move_list.h"
#include "game/turn_controller.h"
#include "match/computer_opponent.h"
#include "match/game_analysis.h"
#include "match/hint_engine.h"
#include "match/live_analysis.h"
#include "media/ttf_text.h"
#include "util/format.h"

namespace ixo {

namespace {

// A game started from the wrong folder shows a black window; this says where it looked and
// how it is meant to be started.
void reportNoPictures(const std::string& folder) {
    std::error_code error;
    std::filesystem::path searched = std::filesystem::absolute(folder, error);
    const std::string shown = error ? folder : searched.lexically_normal().string();
    std::fprintf(stderr,
                 "ixo-shogi: found none of the game's pictures in %s (the folder ../image/ "
                 "as seen from where the game was started). Start the installed ixo-shogi "
                 "command, or start the game in a build folder whose ../image/ is the "
                 "repository's image/ folder (cd build && ./ixo-shogi).\n",
                 shown.c_str());
}

// `next` (or none) watches the match in place of `held`.
template <typename Player>
void watchWith(Match& match, Player*& held, Player* next) {
    if (held) {
        match.removeObserver(held);
    }
    held = next;
    if (held) {
        match.addObserver(held);
    }
}

// What a player changed in the match during its pass, in order.
class MatchChanges : public MatchObserver {
  public:
    struct Change {
        MatchEvent event;
        Move move;
    };
    void onMatchEvent(const Match&, MatchEvent event, const Move& move) override {
        changes.push_back({event, move});
    }
    std::vector<Change> changes;
};

}  // namespace

GameScene::GameScene(SDL_Surface* screen, std::string pictureFolder)
    : screen(screen), pictureFolder(std::move(pictureFolder)) {
    moveMap.clear();
    selected.piece = -1;

    // A missing picture only leaves its Image empty: the game stays playable with that
    // picture invisible.
    int loaded = 0;
    const std::string& folder = this->pictureFolder;
    loaded += loadPicture(background, folder + "bg.jpg");
    loaded += loadPicture(boardPicture, folder + "board.jpg");
    // The two largest pictures are drawn in every frame; see matchScreenFormat.
    background.matchScreenFormat();
    boardPicture.matchScreenFormat();
    for (int code = 1; code <= King; ++code) {
        loaded +=
            loadPicture(bluePieces[code], folder + formatString("team/sample/1p/%02d.png", code));
        loaded +=
            loadPicture(redPieces[code], folder + formatString("team/sample/2p/%02d.png", code));
    }
    loaded += loadPicture(redShadow, folder + "kager.png");
    loaded += loadPicture(blueShadow, folder + "kageb.png");
    loaded += loadPicture(highlight, folder + "hikari.png");
    if (loaded == 0) {
        reportNoPictures(folder);
    }
}

bool GameScene::loadPicture(Image& picture, const std::string& path) {
    if (picture.load(path)) {
        return true;
    }
    if (reportedPictures.insert(path).second) {
        std::fprintf(stderr, "ixo-shogi: cannot load the picture %s: %s\n", path.c_str(),
                     IMG_GetError());
    }
    return false;
}

void GameScene::showPortrait(const std::string& path) {
    auto kept = keptPortraits_.find(path);
    if (kept != keptPortraits_.end()) {
        portrait.borrow(*kept->second);
        return;
    }
    auto loaded = std::make_unique<Image>();
    // Borrowed even when it failed, so that the portrait is empty under the path it asked for.
    const bool decoded = loadPicture(*loaded, path);
    portrait.borrow(*loaded);
    if (decoded) {
        keptPortraits_.emplace(path, std::move(loaded));
    }
}

// Explicit, in reverse order of the fields, so that every surface is gone before the
// application shuts SDL down, whatever the member destructors would do on their own.
GameScene::~GameScene() {
    setAnalysis(nullptr);
    setLiveAnalysis(nullptr);
    evaluationGraph_.reset();
    moveList_.reset();
    reviewFont_.reset();
    for (int ending = kEndingCount - 1; ending >= 0; --ending) {
        for (int winner = 2; winner >= 0; --winner) {
            banners[ending][winner].free();
        }
    }
    for (int side = 1; side >= 0; --side) {
        turnedCounts[side].free();
        for (int code = King; code >= 0; --code) {
            turnedPieces[side][code].free();
        }
    }
    handCounts[1].free();
    handCounts[0].free();
    hintMark.free();
    promotionPlaque.free();
    handLight.free();
    checkMark.free();
    lastMoveMark.free();
    ruleSetBackground.free();
    portrait.free();
    keptPortraits_.clear();
    highlight.free();
    blueShadow.free();
    redShadow.free();
    for (int code = King; code >= 0; --code) {
        redPieces[code].free();
    }
    for (int code = King; code >= 0; --code) {
        bluePieces[code].free();
    }
    boardPicture.free();
    background.free();
}

void GameScene::notify(const Move& move, MoveEvent event) {
    for (GameObserver* observer : observers) {
        observer->onMoveEvent(*this, move, event);
    }
}

void GameScene::setComputer(ComputerOpponent* computer) {
    watchWith(match, computer_, computer);
}

void GameScene::setHint(HintEngine* hint) {
    watchWith(match, hint_, hint);
}

void GameScene::setAnalysis(GameAnalysis* analysis) {
    watchWith(match, analysis_, analysis);
}

void GameScene::setLiveAnalysis(LiveAnalysis* live) {
    watchWith(match, live_, live);
}

void GameScene::updateComputer() {
    MatchChanges made;
    match.addObserver(&made);
    computer_->update(match);
    match.removeObserver(&made);
    for (const MatchChanges::Change& change : made.changes) {
        settle(*this);
        // Under the standard rules the line speaks of the position, which the change left.
        const bool positionNoticeGoes =
            rules() == RuleSet::Standard && change.event != MatchEvent::Played;
        if (positionNoticeGoes) {
            notice.clear();
        }
        switch (change.event) {
            case MatchEvent::Played:
                notify(change.move, MoveEvent::Played);
                break;
            case MatchEvent::TakenBack:
                notify(change.move, MoveEvent::TakenBack);
                break;
            case MatchEvent::Replayed:
                notify(change.move, MoveEvent::Replayed);
                break;
            case MatchEvent::Ended:
                // The simple rules' record has no ending to write, so theirs is no one's news.
                if (rules() == RuleSet::Standard) {
                    notify(change.move, MoveEvent::Ended);
                }
                break;
            case MatchEvent::Moved:
            case MatchEvent::NewGame:
            case MatchEvent::Annotated:
                break;
        }
    }
    computerNotice_.show(computer_->notice(), notice);
}

void GameScene::restartComputer() {
    computer_->restart();
    computerNotice_.show(computer_->notice(), notice);
}

std::string GameScene::name() {
    return "game";
}

}  // namespace ixo
