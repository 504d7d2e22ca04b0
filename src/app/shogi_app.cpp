#include "app/shogi_app.h"

#include <algorithm>
#include <new>

#include "app/data_folder.h"
#include "game/game_scene.h"
#include "input/keyboard.h"

namespace ixo {

extern const unsigned char kIconPng[];
extern const int kIconPngSize;

ShogiApp::ShogiApp(Options options) : options_(std::move(options)) {
    // Decided before init, so that a game started muted never opens the audio device.
    setMuted(options_.mute);
    setScale(options_.scale);
    setIcon(kIconPng, kIconPngSize);
    dataFolder_ = findDataFolder(executablePath());
    mixer().setFolder(dataFolder_ + "sound/");
    addObserver(&moveSounds_);
    EngineSetup hintSetup;
    hintSetup.program = options_.engine.empty() ? "fairy-stockfish" : options_.engine;
    hintSetup.options = options_.engineOptions;
    hint_ = std::make_unique<HintEngine>(hintSetup, options_.engine.empty());
}

ShogiApp::~ShogiApp() = default;

bool ShogiApp::startComputer(std::string& error) {
    EngineSetup setup;
    setup.program = options_.engine.empty() ? "fairy-stockfish" : options_.engine;
    setup.options = options_.engineOptions;
    setup.level = options_.level;
    auto computer =
        std::make_unique<ComputerOpponent>(setup, options_.computerSide, options_.rules);
    if (!computer->start(error)) {
        if (options_.engine.empty() && (computer->startFault() == EngineFault::NotFound ||
                                        computer->startFault() == EngineFault::CouldNotStart)) {
            error += " (install the fairy-stockfish package, or name a USI engine with --engine)";
        }
        return false;
    }
    computer_ = std::move(computer);
    if (recordKeeper_) {
        recordKeeper_->namePlayer(computer_.get());
    }
    if (GameScene* game = dynamic_cast<GameScene*>(scene())) {
        game->setComputer(computer_.get());
    }
    return true;
}

void ShogiApp::keepRecord(RecordKeeper* keeper) {
    recordKeeper_ = keeper;
    if (computer_) {
        keeper->namePlayer(computer_.get());
    }
    if (GameScene* game = dynamic_cast<GameScene*>(scene())) {
        game->match.addObserver(keeper);
    }
}

std::vector<int> ShogiApp::wakeDescriptors() const {
    return {computer_ ? computer_->readDescriptor() : -1, hint_->readDescriptor()};
}

int ShogiApp::wakeWithinMs() const {
    const int computer = computer_ ? computer_->msUntilDeadline() : -1;
    const int hint = hint_->msUntilDeadline();
    int within = computer < 0 ? hint : hint < 0 ? computer : std::min(computer, hint);
    // A running clock wakes the loop when the second it shows changes, and at no other time.
    if (const GameScene* game = dynamic_cast<const GameScene*>(scene())) {
        const int clock = game->msUntilClockChange();
        if (clock >= 0 && (within < 0 || clock < within)) {
            within = clock;
        }
    }
    return within;
}

bool ShogiApp::onTransition(const std::string& sceneName, const std::string&) {
    // Every press toggles, so two presses within one pass leave the sound as it was.
    if (Keyboard::instance().presses(SDLK_m) % 2 != 0) {
        setMuted(!muted());
    }
    // The board is the only scene, so whatever it reports keeps it; an empty name means there
    // is none yet (or the last allocation failed) and the board is created again.
    if (sceneName.empty()) {
        GameScene* game = new (std::nothrow) GameScene(screen(), dataFolder_ + "image/");
        if (game) {
            // The moves were read through the same rules, so they replay as they were read.
            GameRecord opening;
            opening.rules = options_.rules;
            game->resumeRecord(openingRecord_ ? *openingRecord_ : std::move(opening));
            game->observers = observers_;
            game->setComputer(computer_.get());
            if (recordKeeper_) {
                game->match.addObserver(recordKeeper_);
            }
            if (options_.clockGiven) {
                game->setTimeControl(options_.timeControl);
            }
            game->setHint(hint_.get());
        }
        setScene(game);
    }
    // The loop calls this rule after the pass's frame has been presented.
    for (GameObserver* observer : observers_) {
        observer->afterFrame();
    }
    if (recordKeeper_) {
        recordKeeper_->afterFrame();
    }
    tellScene();
    return true;
}

void ShogiApp::tellScene() {
    GameScene* game = dynamic_cast<GameScene*>(scene());
    if (!game) {
        return;
    }
    const bool notRecording = recordKeeper_ && recordKeeper_->failing();
    if (game->soundOff != muted() || game->notRecording != notRecording) {
        game->soundOff = muted();
        game->notRecording = notRecording;
        // Nothing else may come to wake the loop: the change must show at once.
        passAgain();
    }
}

}  // namespace ixo
