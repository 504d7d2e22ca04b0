#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "SDL.h"

#include "clock/game_clock.h"
#include "game/game_events.h"
#include "game/geometry.h"
#include "game/new_game_panel.h"
#include "game/scene.h"
#include "match/match.h"
#include "match/player_notice.h"
#include "media/image.h"
#include "shogi/board.h"
#include "shogi/move_map.h"
#include "shogi/position.h"
#include "shogi/standard_rules.h"

namespace ixo {

class ComputerOpponent;
class EvaluationGraph;
class GameAnalysis;
class HintEngine;
class LiveAnalysis;
class MoveList;
class ServerPlayer;
class TrueTypeText;

// The shogi board that two players share: its pictures, the live position, the turn and the
// selection. update() is the turn controller, draw() paints the frame from this state.
//
// The state is public so that tests, the fuzzer and the soak can check the controller's
// invariants frame by frame; only update() changes it in the game.
class GameScene : public Scene {
  public:
    // The pictures are read from `pictureFolder` (ending in a slash).
    explicit GameScene(SDL_Surface* screen, std::string pictureFolder = "../image/");
    ~GameScene() override;

    std::string name() override;
    std::string update() override;
    // False, painting nothing, when the frame would equal the last one drawn: what is on
    // screen is already right. Decided from the state itself, so any way of changing it
    // (the controller, a take-back, a loaded game) gets its frame without telling anyone.
    bool draw() override;
    // The next draw() paints whatever the state, for callers that repaint the screen
    // themselves or change what draw() does not look at (the pictures, the screen).
    void invalidate() { lastFrame_.valid = false; }

    SDL_Surface* screen;
    std::string pictureFolder;
    Image background;
    Image boardPicture;
    Image bluePieces[15];
    Image redPieces[15];
    Image redShadow;
    Image blueShadow;
    Image highlight;
    Image portrait;
    MoveMap moveMap;
    Cell selected{};  // piece -1: nothing selected
    // The position as the match stands, which is what the drawing shows.
    const Board& board() const { return match.position().board; }
    int turn() const { return match.position().sideToMove; }  // 0 Blue to move, 1 Red
    // Which game is played: the match's rules.
    RuleSet rules() const { return match.rules(); }

    // While a piece is selected, `selected` and `moveMap` are in the frame the rule set keeps
    // them in (PlayStyle::moversFrame): the side to move's under the simple rules, the
    // screen's under the standard ones. A piece picked from the hand has column and row -1.
    //
    // A move that may promote or not waits here until the player picks one of the two.
    bool choosingPromotion = false;
    MoveRequest pendingMove;

    // F: the board seen from Red's side, its coordinates and pieces turned too. Only the view
    // turns: the position, the rules' squares and the record stay as they are. A game on a
    // server starts turned when we play Red, so that our side is at the bottom.
    bool turned = false;
    void setTurned(bool seenFromRed);
    // The board's square at a screen square, and back: turning twice is no turn at all.
    Square viewed(Square square) const {
        return turned ? Square{kBoardSize - 1 - square.column, kBoardSize - 1 - square.row}
                      : square;
    }
    // Where and how a side is shown: Blue in Red's place and with Red's pictures when turned.
    int shownSide(int side) const { return turned ? 1 - side : side; }
    // The board's square, or the hand's place, under a window pixel.
    Square squareUnder(int x, int y) const { return viewed(squareAt(x, y)); }
    HandPlace handUnder(int x, int y) const {
        HandPlace place = handPlaceAt(x, y);
        place.side = place.side >= 0 ? shownSide(place.side) : place.side;
        return place;
    }

    // The line under the board: why a move was refused, or what a key asks. Empty: nothing.
    std::string notice;
    // N (both rule sets), G and D (standard) ask first; the same key again within
    // kConfirmWindowMs confirms.
    enum class Question { None, NewGame, Resign, Impasse };
    static constexpr Uint32 kConfirmWindowMs = 3000;
    Question asking = Question::None;
    Uint32 askedAt = 0;
    // The scene's one source of the time, for the questions and the game clock alike, so a
    // test that steps it steps both and never sleeps.
    std::function<Uint32()> ticks = &SDL_GetTicks;
    // The game under either rule set: its record, the place in it, the position, the ending
    // and the clocks. Told the time by `ticks` (declared before it, so that it exists when
    // the match first asks).
    Match match{RuleSet::Simple, [this] { return static_cast<std::int64_t>(ticks()); }};

    // Both sides' clocks, the match's: without a time control they only measure, so the
    // record has each move's time all the same.
    const GameClock& clock() const { return match.clock(); }
    // The time control for this game and those after it (N); the clocks start over.
    void setTimeControl(const TimeControl& control);
    // What each move cost its mover, index i for ply i + 1, as the match's nodes keep them.
    std::vector<MoveTime> moveTimes() const;

    // With a time control both clocks are on screen, P pauses, and a flag falls.
    bool showsClock() const { return clock().control().limited(); }
    // P, or the new-game panel: the game waits, and the computer owns no turn meanwhile.
    bool paused() const { return match.paused() || newGamePanel.isOpen(); }
    // Nothing is left to play: the game has ended (a flag fell, say), or under the simple
    // rules a king was taken (a position no engine can search, and no clock runs on).
    bool gameOver() const;
    // The side that lost on time under the simple rules, which have no banner to show it;
    // -1 none. Taking back the flag fall, like any ending without a move, undoes it alone.
    int lostOnTime() const;
    // Milliseconds until what the clocks show changes or a flag falls; -1 when none runs.
    int msUntilClockChange() const;

    static constexpr int kMostInHand = 18;
    static constexpr int kEndingCount = static_cast<int>(GameEnd::TimeUp) + 1;

    // Told by the application, shown in the side panel: a muted game must not look like one
    // whose sound is merely quiet, and a player must see that the record is not being kept.
    bool soundOff = false;
    bool notRecording = false;

    // Takes over a whole record (read from a file: variations, comments and all), standing at
    // the end of its main line with its side to move and nothing selected; its rules become
    // the game's. False, with the start position, when the main line cannot be played.
    // Observers are not told: the record already holds what it holds.
    bool resumeRecord(GameRecord record);
    // A standard game from `start`, with no moves yet.
    void resumeStandard(const Position& start = Position::start());

    // Starts the game again from the start position under the same rules; observers get
    // onNewGame.
    void startNewGame();

    // A confirmed N opens the choice of the next game over the board. The game waits while
    // it is open (its clock stopped, no search under way), so that closing it leaves the game
    // as it was. Start makes update() return kBeginChosenGame: starting a game means engines,
    // settings and the record, which are the application's, so it starts
    // newGamePanel.choice() through beginGame.
    NewGamePanel newGamePanel;
    static constexpr const char* kBeginChosenGame = "begin-chosen-game";
    // O: the computer is to take the side not to move and play on from here; the
    // application seats it (an engine is the application's), through playOnAgainstComputer.
    static constexpr const char* kPlayOnAgainstComputer = "play-on-against-computer";
    void chooseNextGame();
    // What the panel opens on: the game on the board as the application started it, and the
    // clock given with --clock, if any, offered beside the usual ones.
    GameChoice playing;
    std::optional<TimeControl> offeredClock;
    // Starts `start` (its rules, its start position and handicap, no moves) in place of the
    // game on the board; observers get onNewGame.
    void beginGame(GameRecord start);
    // Escape belongs to the panel while it is open, stops a running analysis, and quits the
    // game otherwise.
    bool takesEscape() const override;

    // Looking back at the game: the side panel shows its moves as a list, the current move's
    // comment and the engine's verdicts, in place of the card of a selected piece. K shows or
    // hides it, and any of the keys that step through the game (arrows, Home, End) or A shows
    // it; a record opened from a file opens with it. Hidden until then, so a game started
    // without a record looks as it always has.
    bool reviewing = false;
    void setReviewing(bool shown);
    // A's analysis of the whole game, or none; not owned. It watches the match from here on.
    void setAnalysis(GameAnalysis* analysis);
    GameAnalysis* analysis() const { return analysis_; }
    // L's live lines, or none; not owned. It watches the match from here on.
    void setLiveAnalysis(LiveAnalysis* live);
    LiveAnalysis* liveAnalysis() const { return live_; }
    // A live line played out on the board (1-3 or a click on it), one move per Right, Left or
    // Escape back: only the board shows it, the match and its record stay where they were
    // until the player clicks the board, which plays the moves shown into the game first.
    bool previewing() const { return preview_.line >= 0; }
    int previewShown() const { return preview_.shown; }
    // The position on the board: the match's, or the preview's.
    const Position& shownPosition() const {
        return previewing() ? preview_.position : match.position();
    }
    // The players' names as the record's headers give them, for the review's panel.
    std::array<std::string, 2> recordNames() const;

    // The computer at one side of the game, or none; not owned. It watches the match from
    // here on, and the scene shows what it says.
    void setComputer(ComputerOpponent* computer);
    ComputerOpponent* computer() const { return computer_; }
    // What H asks, or none; not owned. The scene draws the hint it shows.
    void setHint(HintEngine* hint);
    HintEngine* hint() const { return hint_; }
    // The computer's pass at the match, and E's new engine. Each change it made to the match
    // is then settled and told as a click's would be, and its words go on the line last.
    void updateComputer();
    void restartComputer();
    // The server that plays the other side and judges the game, or none; not owned. The
    // scene shows its clocks, the players' names and what it says of the game.
    ServerPlayer* server = nullptr;
    // This run was given a server, and the new-game panel offers another game on it.
    bool serverOffered = false;

    // Told of every change of position, in the order they were added; not owned.
    std::vector<GameObserver*> observers;
    // The move's time is charged (or given back) first, so every observer reads it.
    void notify(const Move& move, MoveEvent event);

    // Image::load, and a line on stderr with SDL_image's reason when it fails, once per path
    // however often that picture is asked for again: a missing picture only stays invisible,
    // so the terminal is the one place a player can learn why.
    bool loadPicture(Image& picture, const std::string& path);
    // Puts the portrait at `path` into `portrait`. Each one is decoded at its first showing
    // and kept for the rest of the scene (28 at most, some 240 KB each), because decoding
    // took about as long as the rest of a click's way to the screen. One that fails to load
    // is not kept, so a picture put in place later still shows.
    void showPortrait(const std::string& path);

  private:
    ComputerOpponent* computer_ = nullptr;
    HintEngine* hint_ = nullptr;
    GameAnalysis* analysis_ = nullptr;
    LiveAnalysis* live_ = nullptr;
    NoticeReader liveNotice_;
    struct Preview {
        int line = -1;  // which live line; -1 none
        std::vector<Move> moves;
        int shown = 0;
        Position position;
    };
    Preview preview_;
    void startPreview(int line);
    void stepPreview(int shown);
    void endPreview();
    // Plays the moves the preview shows into the match, as if the player had made them.
    void keepPreview();
    const RecordNode* previewFrom_ = nullptr;  // where the match stood when it began
    void updatePreview();
    // Left, Right, Home, End, Up, Down, A and O, when no preview takes them.
    void stepThroughRecord();
    // The live line listed under a window pixel; -1 none.
    int liveLineAt(int x, int y) const;
    NoticeReader computerNotice_;
    NoticeReader hintNotice_;
    NoticeReader analysisNotice_;

    // The review's views and the outline font they write with, made when the review first
    // shows, so a game that never shows it opens no font.
    std::unique_ptr<TrueTypeText> reviewFont_;
    std::unique_ptr<MoveList> moveList_;
    std::unique_ptr<EvaluationGraph> evaluationGraph_;
    bool reviewFontTried_ = false;
    bool playOnAsked_ = false;    // O, for update() to hand on
    unsigned graphSerial_ = ~0u;  // the analysis serial the graph's chances were read at
    const RecordNode* graphAt_ = nullptr;
    void makeReviewViews();
    // The review's keys, wheel and clicks; true when it took this pass's click.
    bool updateReview();
    // Goes to `node` of the record, as a step through the game does.
    void reviewGoTo(const RecordNode& node);
    void drawReview() const;
    // The list and the graph brought up to the match as it stands, before a click is looked
    // up in them and before they are drawn. Const: they are the drawing's own state.
    void followInViews() const;
    // Reads the analysing engines in every pass, whatever else the pass does (a pause, the
    // panel, a server game), so that nothing they send is left to keep the loop awake.
    void readAnalysts();
    void drawLiveLines() const;

    // Pictures only a rule set with PlayStyle::ownPictures shows, loaded when such a game is
    // taken over, so a game without them loads exactly what it always did.
    Image ruleSetBackground;
    Image lastMoveMark;
    Image checkMark;
    Image handLight;
    Image promotionPlaque;
    Image handCounts[2];  // per side, one cell per count from 2 to kMostInHand
    // Each side's pieces and hand counts turned half round, for the turned board; made at its
    // first turn, so a game never turned makes none.
    Image turnedPieces[2][15];
    Image turnedCounts[2];
    bool turnedPicturesMade_ = false;
    const Image* piecesOf(int side) const;
    const Image& countsOf(int side) const;
    Image banners[kEndingCount][3];  // by ending and winner + 1 (0 a draw)

    std::set<std::string> reportedPictures;
    Image hintMark;  // loaded at the first hint shown, so a game without one never reads it
    std::map<std::string, std::unique_ptr<Image>> keptPortraits_;

    std::int64_t nowMs() const { return static_cast<std::int64_t>(ticks()); }
    // Set while the clocks wait for the first frame of a game, so the time before the window
    // shows it (a record being read, the engine starting) is nobody's.
    bool clockWaiting_ = true;
    // A new game, or one taken over: its clocks start with its first frame.
    void startClocksAfresh() { clockWaiting_ = true; }
    void togglePause();
    // Set while the panel holds a clock the player had left running, to start it again.
    bool pausedForPanel_ = false;
    // Set in Start's pass: the application begins the chosen game before the next pass, so
    // this pass paints nothing rather than the old board without its panel.
    bool beginPending_ = false;
    std::string updatePanel();
    // The side to move whose time ran out loses, before anything else in the pass can move.
    void judgeFlag();

    // Exactly what the picture is made from, as it was at the last painted frame.
    struct FrameState {
        bool valid = false;
        SDL_Surface* screen = nullptr;
        std::array<std::int8_t, kSquareCount> pieces{};
        std::array<std::int8_t, kSquareCount> owners{};
        std::array<bool, kSquareCount> lit{};
        bool redToMove = false;
        bool turned = false;
        bool pieceSelected = false;
        bool soundOff = false;
        bool notRecording = false;
        const SDL_Surface* portrait = nullptr;
        std::string portraitPath;
        SDL_Rect portraitPlace{0, 0, 0, 0};  // where it was drawn; empty when it was not
        std::string notice;
        RuleSet rules{};
        std::array<Hand, 2> hands{};
        int lastFrom = -1;  // square indexes; -1 none
        int lastTo = -1;
        int checkedKing = -1;
        int choiceSquare = -1;  // where the choice to promote is asked; -1 none
        int choicePiece = 0;
        int choiceOwner = 0;
        GameEnd ending = GameEnd::None;
        int winner = -1;
        int handPick = -1;  // side * 16 + kind of a piece picked from a hand; -1 none
        std::array<std::string, 4> clockLines{};  // Blue's two, then Red's; empty: no clock
        std::array<std::string, 2> names{};       // the players', on a server
        int clockRunning = -1;
        int hintFrom = -1;
        int hintTo = -1;
        int hintDrop = -1;
        bool panelOpen = false;
        GameChoice panelChoice;
        bool panelServer = false;
        // The review's panel: where in the record, what the analysis has stored, and how
        // far the list is scrolled.
        bool reviewing = false;
        const RecordNode* reviewAt = nullptr;
        unsigned analysisSerial = 0;
        int listFirst = 0;
        unsigned liveSerial = 0;
        int previewLine = -1;
        int previewShown = 0;
    };
    void describeClocks(FrameState& frame) const;
    void drawClocks() const;
    // Where the two clocks are drawn, whichever way the board is turned.
    static std::array<SDL_Rect, 2> clockAreas();
    void drawNames() const;
    void drawHands() const;
    void drawStatusMarks() const;  // the mute mark and the line about the record
    void drawPromotionChoice() const;
    void drawBanner() const;
    void loadRuleSetPictures();
    void drawPieces() const;
    // True while the marks are kept in the mover's frame with Red to move, so that their rows
    // are mirrored on screen.
    bool litMirrored() const;
    void drawHighlights() const;
    // `picture` with its corner on the square at `index`; nothing for an index off the board.
    void drawOnSquare(const Image& picture, int index) const;
    // The background's coordinates in the turned order: each file's and rank's own piece of
    // the picture, put where the turned board has that file or rank.
    void drawTurnedCoordinates(const Image& picture) const;
    void paintFrame() const;
    // The pictures a square's content is drawn with (null: none), and where they go.
    const Image* shadowOf(int piece, int owner) const;
    const Image* pictureOf(int piece, int owner) const;
    static SDL_Rect placed(const Image& picture, int x, int y);
    // Where the board square (column, row) is drawn: its top-left corner in the window. Every
    // picture tied to a square goes through here, so this is the one place that decides which
    // way up the board is shown.
    SDL_Rect squareCorner(int column, int row) const;
    SDL_Rect shadowPlace(const Image& shadow, int column, int row) const;
    SDL_Rect piecePlace(const Image& picture, int column, int row) const;
    SDL_Rect portraitPlace() const;
    void drawHint() const;
    // The turn controller's pass, before the hint has its say.
    void updatePlay();
    // The text under the board, as it is drawn this frame.
    std::string noticeShown() const;
    bool ruleSetPicturesLoaded_ = false;
    // Everything the picture is made from, as the state stands now.
    void describeFrame(FrameState& frame) const;
    static bool sameFrame(const FrameState& last, const FrameState& now);
    static bool sameOutsideTheSquares(const FrameState& last, const FrameState& now);
    static bool samePortrait(const FrameState& last, const FrameState& now);
    // The places where `now` differs from the last frame painted: false when it must be
    // painted whole.
    bool changedAreas(const FrameState& last, const FrameState& now,
                      std::vector<SDL_Rect>& areas) const;
    std::vector<SDL_Rect> changedAreas_;

    FrameState lastFrame_;
};

}  // namespace ixo
