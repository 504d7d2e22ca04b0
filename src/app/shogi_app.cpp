#include "app/shogi_app.h"

#include <poll.h>

#include <algorithm>
#include <cstdio>
#include <new>

#include "app/data_folder.h"
#include "game/game_scene.h"
#include "game/turn_controller.h"
#include "input/keyboard.h"
#include "shogi/handicaps.h"

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
    hint_ = makeHint();
    analysis_ = std::make_unique<GameAnalysis>(engineSetup(), options_.engine.empty(),
                                               static_cast<int>(options_.analysisMs));
    live_ = std::make_unique<LiveAnalysis>(engineSetup(), options_.engine.empty());
    playing_ = choiceOf(options_);
}

ShogiApp::~ShogiApp() = default;

EngineSetup ShogiApp::engineSetup() const {
    EngineSetup setup;
    setup.program = options_.engine.empty() ? kDefaultEngine : options_.engine;
    setup.options = options_.engineOptions;
    return setup;
}

std::unique_ptr<HintEngine> ShogiApp::makeHint() const {
    return std::make_unique<HintEngine>(engineSetup(), options_.engine.empty());
}

void ShogiApp::handOverPlayers() {
    if (GameScene* game = dynamic_cast<GameScene*>(scene())) {
        game->observers = observers_;
        // Handed over again only when another: the match tells its watchers in the order
        // they came.
        if (game->computer() != computer_.get()) {
            game->setComputer(computer_.get());
        }
        if (game->hint() != hint_.get()) {
            game->setHint(hint_.get());
        }
        if (game->analysis() != analysis_.get()) {
            game->setAnalysis(analysis_.get());
        }
        if (game->liveAnalysis() != live_.get()) {
            game->setLiveAnalysis(live_.get());
        }
        game->playing = playing_;
        game->serverOffered = serverKnown_;
    }
}

void ShogiApp::nameComputer() {
    // On a server the record names the players as the server knows them.
    if (recordKeeper_ && computer_ && !onServer()) {
        recordKeeper_->namePlayer(computer_.get());
    }
}

void ShogiApp::dismissComputer() {
    if (!computer_) {
        return;
    }
    std::unique_ptr<ComputerOpponent> previous = std::move(computer_);
    if (recordKeeper_) {
        recordKeeper_->forgetPlayer(previous.get());
    }
    handOverPlayers();
    previous->shutdown();
}

bool ShogiApp::beginGame(const GameChoice& choice, std::string& error) {
    GameScene* game = dynamic_cast<GameScene*>(scene());
    dropServer(game);
    const bool rulesChanged = choice.rules != options_.rules;
    options_.rules = choice.rules;
    options_.computerSide = choice.computerSide;
    options_.level = choice.level;
    options_.timeControl = choice.timeControl;
    options_.clockGiven = choice.timeControl.limited();
    options_.engine = choice.engine;
    playing_ = choice;
    startFailure_.clear();

    dismissComputer();
    // The hint's engine was given the old rules' variant when it started.
    if (rulesChanged) {
        std::unique_ptr<HintEngine> previous = std::move(hint_);
        hint_ = makeHint();
        handOverPlayers();
    }

    GameRecord start;
    start.rules = choice.rules;
    Position handicapped;
    if (choice.rules == RuleSet::Standard && !choice.handicap.empty() &&
        handicapPosition(choice.handicap, handicapped)) {
        start.start = handicapped;
        start.handicap = choice.handicap;
    }
    if (game) {
        game->setTimeControl(choice.timeControl);
        game->beginGame(std::move(start));
    } else if (!start.handicap.empty()) {
        openingRecord_ = std::move(start);
    }

    if ((choice.computerSide >= 0 || computerPlaysOurs()) && !seatComputer(choice, game, error)) {
        return false;
    }
    handOverPlayers();
    passAgain();
    return true;
}

bool ShogiApp::seatComputer(const GameChoice& choice, GameScene* game, std::string& error) {
    EngineSetup setup = engineSetup();
    setup.level = choice.level;
    // On a server the side is known once a game is offered, and the rules are the
    // standard ones.
    auto computer =
        computerPlaysOurs()
            ? std::make_unique<ComputerOpponent>(setup, -1, RuleSet::Standard)
            : std::make_unique<ComputerOpponent>(setup, choice.computerSide, choice.rules);
    computer->paceBy(server_.get());
    if (game) {
        computer_ = std::move(computer);
        nameComputer();
        handOverPlayers();
        // Started without waiting: the window stays live, and a failure is told under the
        // board as any later fault of the engine is.
        computer_->restart();
    } else if (computer->start(error)) {
        computer_ = std::move(computer);
        nameComputer();
    } else {
        if (options_.engine.empty() && (computer->startFault() == EngineFault::NotFound ||
                                        computer->startFault() == EngineFault::CouldNotStart)) {
            error += " (install the fairy-stockfish package, or name a USI engine with --engine)";
        }
        startFailure_ = error;
        return false;
    }
    return true;
}

void ShogiApp::playOnAgainstComputer() {
    GameScene* game = dynamic_cast<GameScene*>(scene());
    if (!game || computer_ || server_) {
        return;
    }
    // The player keeps the side to move; the game, its record and its clock go on as they are.
    GameChoice choice = playing_;
    choice.rules = game->rules();
    choice.computerSide = 1 - game->turn();
    options_.computerSide = choice.computerSide;
    playing_ = choice;
    std::string unused;  // in the window, a failure is told under the board
    seatComputer(choice, game, unused);
    handOverPlayers();
}

bool ShogiApp::startServer(const std::string& password, std::string& error) {
    CsaLogin login;
    login.host = options_.serverHost;
    login.port = options_.serverPort;
    login.user = options_.serverUser;
    login.password = password;
    server_ = std::make_unique<ServerPlayer>(login);
    if (computer_) {
        computer_->paceBy(server_.get());
    }
    if (options_.serverComments) {
        server_->setCommentSource([this](const Move& move, const Position& after) {
            return computer_ ? floodgateComment(computer_->latestInfo(), move, after)
                             : std::string();
        });
    }
    if (!server_->start(SDL_GetTicks())) {
        error = server_->reason();
        server_.reset();
        return false;
    }
    serverPassword_ = password;
    serverKnown_ = true;
    reportedStatus_ = server_->status();
    handOverPlayers();
    return true;
}

void ShogiApp::dropServer(GameScene* game) {
    if (!server_) {
        return;
    }
    if (game && game->server == server_.get()) {
        server_->leave(game->match, SDL_GetTicks());
        game->server = nullptr;
        // The board was turned for the side the server gave; the next game starts as any.
        game->setTurned(false);
    }
    if (computer_) {
        computer_->paceBy(nullptr);
    }
    leaving_ = std::move(server_);
    if (leaving_->finished()) {
        leaving_.reset();
    }
}

void ShogiApp::beginServerGame(GameScene& game) {
    dropServer(&game);
    // A computer seated for a game here plays a side of its own; with --computer ours a new
    // one is seated for the server's side below.
    dismissComputer();
    // The board waits for the server's offer, which replaces it once it comes.
    GameRecord start;
    start.rules = RuleSet::Standard;
    game.setTimeControl(TimeControl{});
    game.beginGame(std::move(start));
    std::string error;
    if (!startServer(serverPassword_, error)) {
        game.notice = "The server could not be reached: " + error;
        return;
    }
    game.server = server_.get();
    if (options_.serverComputer) {
        seatComputer(playing_, &game, error);
    }
    handOverPlayers();
    passAgain();
}

void ShogiApp::finishServer() {
    // The client's own logout wait ends it; this bound only guards against a clock that stops.
    const Uint32 giveUp = SDL_GetTicks() + 10000;
    for (ServerPlayer* player : {leaving_.get(), server_.get()}) {
        while (player && !player->finished() && SDL_GetTicks() < giveUp) {
            pollfd watched{player->readDescriptor(), player->pollEvents(), 0};
            const std::int64_t within = player->msUntilDeadline(SDL_GetTicks());
            poll(&watched, watched.fd >= 0 ? 1 : 0,
                 static_cast<int>(within < 0 || within > 100 ? 100 : within));
            player->pump(SDL_GetTicks());
        }
    }
}

bool ShogiApp::pollEvents() {
    if (Application::pollEvents()) {
        return true;
    }
    GameScene* game = dynamic_cast<GameScene*>(scene());
    if (server_ && game) {
        const RecordNode* before = &game->match.current();
        server_->leave(game->match, SDL_GetTicks());
        // The game so far is kept, ending interrupted, before the scene and its match go.
        if (&game->match.current() != before) {
            game->notify(lastPlayed(game->match), MoveEvent::Ended);
            for (GameObserver* observer : observers_) {
                observer->afterFrame();
            }
            if (recordKeeper_) {
                recordKeeper_->afterFrame();
            }
        }
    }
    return false;
}

void ShogiApp::reportServer() {
    if (!server_ || server_->status() == reportedStatus_) {
        return;
    }
    reportedStatus_ = server_->status();
    if (reportedStatus_ == ServerStatus::Over || reportedStatus_ == ServerStatus::Failed) {
        std::fprintf(stderr, "ixo-shogi: %s\n", server_->statusLine().c_str());
    }
}

void ShogiApp::keepRecord(RecordKeeper* keeper) {
    recordKeeper_ = keeper;
    nameComputer();
    if (GameScene* game = dynamic_cast<GameScene*>(scene())) {
        game->match.addObserver(keeper);
    }
}

std::vector<int> ShogiApp::wakeDescriptors() const {
    return {computer_ ? computer_->readDescriptor() : -1,
            hint_->readDescriptor(),
            analysis_->readDescriptor(),
            live_->readDescriptor(),
            server_ ? server_->readDescriptor() : -1,
            leaving_ ? leaving_->readDescriptor() : -1};
}

int ShogiApp::wakeWithinMs() const {
    const int computer = computer_ ? computer_->msUntilDeadline() : -1;
    const int hint = hint_->msUntilDeadline();
    int within = computer < 0 ? hint : hint < 0 ? computer : std::min(computer, hint);
    for (const int analysis : {analysis_->msUntilDeadline(), live_->msUntilDeadline()}) {
        if (analysis >= 0 && (within < 0 || analysis < within)) {
            within = analysis;
        }
    }
    for (const ServerPlayer* player : {server_.get(), leaving_.get()}) {
        if (!player) {
            continue;
        }
        // The idle wait watches the socket for input only: while it connects, or while a line
        // waits for room to be sent, the loop looks again shortly instead.
        std::int64_t server = player->msUntilDeadline(SDL_GetTicks());
        if ((player->pollEvents() & POLLOUT) != 0) {
            constexpr std::int64_t kWriteRetryMs = 5;
            server = server < 0 ? kWriteRetryMs : std::min(server, kWriteRetryMs);
        }
        if (server >= 0 && (within < 0 || server < within)) {
            within = static_cast<int>(server);
        }
    }
    // A running clock wakes the loop when the second it shows changes, and at no other time.
    if (const GameScene* game = dynamic_cast<const GameScene*>(scene())) {
        const int clock = game->msUntilClockChange();
        if (clock >= 0 && (within < 0 || clock < within)) {
            within = clock;
        }
    }
    return within;
}

bool ShogiApp::onTransition(const std::string& sceneName, const std::string& updateResult) {
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
            if (server_) {
                // The server's offer replaces this once it comes.
                game->resumeStandard();
                game->server = server_.get();
            } else {
                GameRecord opening;
                opening.rules = options_.rules;
                game->resumeRecord(openingRecord_ ? *openingRecord_ : std::move(opening));
                if (reviewOpening_ && openingRecord_) {
                    game->setReviewing(true);
                    game->match.setPlacement(GameRecord::Placement::Variation);
                }
            }
            if (recordKeeper_) {
                game->match.addObserver(recordKeeper_);
            }
            if (options_.clockGiven) {
                game->setTimeControl(options_.timeControl);
                game->offeredClock = options_.timeControl;
            }
            if (!startFailure_.empty()) {
                game->notice = "The engine failed: " + startFailure_ + "; two players now";
            }
        }
        setScene(game);
        handOverPlayers();
    } else if (updateResult == GameScene::kBeginChosenGame) {
        beginChosenGame();
    } else if (updateResult == GameScene::kPlayOnAgainstComputer) {
        playOnAgainstComputer();
    }
    if (leaving_) {
        leaving_->pump(SDL_GetTicks());
        if (leaving_->finished()) {
            leaving_.reset();
        }
    }
    // The loop calls this rule after the pass's frame has been presented.
    for (GameObserver* observer : observers_) {
        observer->afterFrame();
    }
    if (recordKeeper_) {
        recordKeeper_->afterFrame();
    }
    tellScene();
    reportServer();
    return true;
}

void ShogiApp::beginChosenGame() {
    GameScene* game = dynamic_cast<GameScene*>(scene());
    if (!game) {
        return;
    }
    if (game->newGamePanel.serverChosen()) {
        beginServerGame(*game);
        return;
    }
    // Once the window is open a failing engine is told under the board, not here.
    std::string unused;
    beginGame(game->newGamePanel.choice(), unused);
    std::string error;
    if (!settingsPath_.empty() && !saveGameChoice(settingsPath_, playing_, error)) {
        std::fprintf(stderr, "ixo-shogi: this game is not remembered: %s\n", error.c_str());
    }
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
