#include <cstdio>
#include <ctime>
#include <string>

#include <unistd.h>
#include "SDL.h"

#include <cmath>
#include <iostream>

#include "analysis/analyse_command.h"
#include "app/data_folder.h"
#include "app/options.h"
#include "app/shogi_app.h"
#include "match/record_keeper.h"
#include "record/convert.h"
#include "record/opened_game.h"

int main(int argc, char* argv[]) {
    const ixo::CommandLine line = ixo::parseCommandLine(argc, argv);
    if (line.exitStatus >= 0) {
        std::fputs(line.message.c_str(), line.exitStatus == 0 ? stdout : stderr);
        return line.exitStatus;
    }
    ixo::Options options = line.options;
    if (!options.analyseFrom.empty()) {
        ixo::AnalysisOptions analysis;
        analysis.defaultEngine = options.engine.empty();
        analysis.engine.program = analysis.defaultEngine ? "fairy-stockfish" : options.engine;
        analysis.engine.options = options.engineOptions;
        // Found beside the pictures, wherever the game was started from; only a simple-rules
        // record needs it.
        analysis.engine.variantFile =
            ixo::findDataFolder(ixo::executablePath()) + "variants/nodropshogi.ini";
        analysis.msPerMove = static_cast<int>(options.analysisMs);
        analysis.interactive = isatty(STDERR_FILENO) != 0;
        return ixo::analyseRecords({options.analyseFrom}, options.analyseTo, analysis, std::cerr);
    }
    if (!options.convertFrom.empty()) {
        std::string message;
        const int status = ixo::convertRecordFiles(options.convertFrom, options.convertTo, message);
        if (!message.empty()) {
            std::fprintf(stderr, "%s%s\n", status == 0 ? "" : "ixo-shogi: ", message.c_str());
        }
        return status;
    }
    // A new game starts as the one chosen last, where the command line leaves it open; a
    // server's game is the server's to choose.
    const bool serverGame = !options.serverHost.empty();
    const bool newGame = !serverGame && !options.continueLast && options.recordPath.empty();
    const bool computerAsked = options.computerSide >= 0 || options.serverComputer;
    std::string password;
    if (serverGame) {
        std::string error;
        if (!ixo::readServerPassword(options, password, error)) {
            std::fprintf(stderr, "ixo-shogi: %s\n", error.c_str());
            return 1;
        }
    }
    const std::string settings = ixo::settingsPath();
    ixo::SettingsReading remembered;
    ixo::GameChoice chosen;
    if (newGame) {
        remembered = ixo::loadGameChoice(settings);
        std::fputs(ixo::ignoredReport(settings, remembered.ignored).c_str(), stderr);
        chosen = ixo::chooseGame(remembered.choice, options);
    }

    // A record is read whole before any window opens, so a refused one leaves nothing behind
    // on the screen or on the disk.
    const ixo::GamesFolder folder = ixo::gamesFolder();
    ixo::OpenedGame game;
    if (options.continueLast || !options.recordPath.empty()) {
        std::string error;
        if (!ixo::openGame(options.continueLast, options.recordPath, folder, std::time(nullptr),
                           game, error)) {
            std::fprintf(stderr, "ixo-shogi: %s\n", error.c_str());
            return 1;
        }
        // What the record holds that the game leaves out or finds unusual (a variation the
        // rules refuse, two pawns on a file in a composed diagram): the game opens all the
        // same, and the player learns why something is missing.
        const std::string shownPath = options.continueLast ? game.recordPath : options.recordPath;
        for (const std::string& warning : game.warnings) {
            std::fprintf(stderr, "ixo-shogi: %s:%s\n", shownPath.c_str(), warning.c_str());
        }
        // A game goes on under the rules it was played under: a simple game has no hands to
        // drop from, and a standard one may hold pieces the simple rules cannot place. So the
        // record's rules win over --rules, and the player is told.
        if (options.rulesGiven && options.rules != game.rules) {
            std::fprintf(stderr,
                         "ixo-shogi: the game was played under the %s rules; it goes on "
                         "under them, not the %s rules\n",
                         game.rules == ixo::RuleSet::Standard ? "standard" : "simple",
                         options.rules == ixo::RuleSet::Standard ? "standard" : "simple");
        }
        options.rules = game.rules;
    }
    // "Ixo" and the two characters of the word shogi in UTF-8, which is what SDL 1.2 hands on
    // to X11 for a window title.
    static const char caption[] = "Ixo\xE5\xB0\x86\xE6\xA3\x8B";

    ixo::ShogiApp application(options);
    if (options.continueLast || !options.recordPath.empty()) {
        application.startFrom(std::move(game.record));
        if (!options.recordPath.empty()) {
            application.reviewOpening();
        }
    }
    application.rememberGamesIn(settings);
    std::string failure;
    if (!application.beginGame(newGame ? chosen : ixo::choiceOf(options), failure)) {
        std::fprintf(stderr, "ixo-shogi: %s%s\n", failure.c_str(),
                     computerAsked ? "" : "; the remembered game goes on for two players");
        if (computerAsked) {
            return 1;
        }
    }
    if (!application.init(caption, 800, 600, 16, options.fullscreen)) {
        // Without a screen or a font there is nothing to draw on; say why and leave.
        std::fprintf(stderr, "ixo-shogi: %s\n", application.failure().c_str());
        application.shutdown();
        return 1;
    }
    // A new record is named, and dated, by the moment its game appeared on the screen; one
    // that goes on keeps the start it was named by.
    if (game.recordPath.empty()) {
        game.startTime = std::time(nullptr);
    }
    ixo::RecordKeeper keeper(folder, game.startTime, game.recordPath);
    application.keepRecord(&keeper);
    if (serverGame) {
        std::string error;
        if (!application.startServer(password, error)) {
            std::fprintf(stderr, "ixo-shogi: %s\n", error.c_str());
            application.shutdown();
            return 1;
        }
    }
    std::string error;
    if (newGame && chosen != remembered.choice && !ixo::saveGameChoice(settings, chosen, error)) {
        std::fprintf(stderr, "ixo-shogi: this game is not remembered: %s\n", error.c_str());
    }
    const int status = application.run();
    application.finishServer();
    return status;
}
