#pragma once

#include <array>
#include <set>
#include <string>
#include <vector>

#include "SDL.h"

#include "app/scene.h"
#include "game/game_events.h"
#include "media/image.h"
#include "shogi/board.h"
#include "shogi/history.h"
#include "shogi/move_map.h"

namespace ixo {

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
    Board board;
    MoveMap moveMap;
    int turn = 0;         // 0 Blue to move, anything else Red
    Cell selected{};      // piece -1: nothing selected
    MoveHistory history;  // the moves that led to `board`, and those taken back since
    // Told by the application, shown in the side panel: a muted game must not look like one
    // whose sound is merely quiet, and a player must see that the record is not being kept.
    bool soundOff = false;
    bool notRecording = false;

    // Plays a record's moves from the start position without telling the observers (the
    // record already holds them), leaving the last position with its side to move and nothing
    // selected. False, with the board at the start, if a move is not legal where it stands.
    bool resume(const std::vector<Move>& moves);

    // Told of every change of position, in the order they were added; not owned.
    std::vector<GameObserver*> observers;
    void notify(const Move& move, MoveEvent event) const;

    // Image::load, and a line on stderr with SDL_image's reason when it fails, once per path
    // however often that picture is asked for again: a missing picture only stays invisible,
    // so the terminal is the one place a player can learn why.
    bool loadPicture(Image& picture, const std::string& path);

  private:
    std::set<std::string> reportedPictures;

    // Exactly what the picture is made from, as it was at the last painted frame.
    struct FrameState {
        bool valid = false;
        SDL_Surface* screen = nullptr;
        std::array<std::int8_t, kSquareCount> pieces{};
        std::array<std::int8_t, kSquareCount> owners{};
        std::array<bool, kSquareCount> lit{};
        bool redToMove = false;
        bool pieceSelected = false;
        bool soundOff = false;
        bool notRecording = false;
        const SDL_Surface* portrait = nullptr;
        std::string portraitPath;
    };
    bool showsCurrentState() const;
    void rememberCurrentState();

    FrameState lastFrame_;
};

}  // namespace ixo
