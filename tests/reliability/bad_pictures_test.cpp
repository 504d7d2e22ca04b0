#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "game/geometry.h"
#include "game/move_sounds.h"
#include "media/sound.h"
#include "scene_driver.h"
#include "scene_invariants.h"
#include "util/format.h"

namespace ixo::reliability {
namespace {

namespace fs = std::filesystem;

enum class Outcome { Fails, Loads, Either };

struct Kind {
    const char* name;
    Outcome outcome;
    // Decoding it costs seconds, so the sweep over every picture is left to IXO_BAD_PICTURES_FULL.
    bool slow;
};

// Test names and failure messages show the kind by name rather than as raw bytes.
void PrintTo(const Kind& kind, std::ostream* out) {
    *out << kind.name;
}

// The files come from tools/bad_pictures.py; "folder" and "unreadable" are made here.
const Kind kKinds[] = {
    {"zero-bytes", Outcome::Fails, false},
    {"truncated-png", Outcome::Fails, false},
    // libjpeg fills in what is missing and SDL_image keeps the picture.
    {"truncated-jpeg", Outcome::Either, false},
    {"random-bytes", Outcome::Fails, false},
    {"huge-header-png", Outcome::Fails, false},
    // The loader goes by content, so a misnamed picture is still a picture.
    {"jpeg-named-png", Outcome::Loads, false},
    {"png-named-jpg", Outcome::Loads, false},
    {"folder", Outcome::Fails, false},
    {"unreadable", Outcome::Fails, false},
    {"one-pixel", Outcome::Loads, false},
    {"four-thousand", Outcome::Loads, true},
    {"truncated-wav", Outcome::Fails, false},
    {"huge-header-wav", Outcome::Fails, false},
};

// The mixer reads only sound formats, so every kind leaves a sound silent, except the WAVs
// that promise more than they hold, whose loader may keep what there is (SDL 2's does).
Outcome asSound(const Kind& kind) {
    const std::string name = kind.name;
    return name.size() > 4 && name.compare(name.size() - 4, 4, "-wav") == 0 ? Outcome::Either
                                                                            : Outcome::Fails;
}

const Sound kSounds[] = {Sound::Move, Sound::Capture, Sound::TakeBack};

std::vector<std::string> fixedPictures() {
    std::vector<std::string> paths = {"bg.jpg", "board.jpg"};
    for (int code = 1; code <= King; ++code) {
        paths.push_back(formatString("team/sample/1p/%02d.png", code));
        paths.push_back(formatString("team/sample/2p/%02d.png", code));
    }
    paths.insert(paths.end(), {"kager.png", "kageb.png", "hikari.png"});
    return paths;
}

std::vector<std::string> portraits() {
    std::vector<std::string> paths;
    for (int code = 1; code <= King; ++code) {
        paths.push_back(formatString("team/sample/1pcg/%02d.png", code));
        paths.push_back(formatString("team/sample/2pcg/%02d.png", code));
    }
    return paths;
}

// The picture a scene loaded from `path` (relative to the picture folder).
const Image& pictureOf(const GameScene& scene, const std::string& path) {
    for (int code = 1; code <= King; ++code) {
        if (path == formatString("team/sample/1p/%02d.png", code)) {
            return scene.bluePieces[code];
        }
        if (path == formatString("team/sample/2p/%02d.png", code)) {
            return scene.redPieces[code];
        }
    }
    if (path == "bg.jpg")
        return scene.background;
    if (path == "board.jpg")
        return scene.boardPicture;
    if (path == "kager.png")
        return scene.redShadow;
    if (path == "kageb.png")
        return scene.blueShadow;
    return scene.highlight;
}

void expectOutcome(const Image& picture, Outcome outcome, const std::string& path) {
    SCOPED_TRACE(path);
    if (outcome == Outcome::Fails) {
        EXPECT_EQ(picture.surface(), nullptr);
        EXPECT_EQ(picture.width() + picture.height(), 0);
    } else if (outcome == Outcome::Loads) {
        EXPECT_NE(picture.surface(), nullptr);
    }
}

// One frame: the pointer over the middle of a screen square, with these buttons held.
void frameAt(GameScene& scene, SceneInvariants& invariants, int column, int row, Uint8 buttons) {
    FakePointer& pointer = FakePointer::instance();
    pointer.x = squareLeft(column) + kSquareSize / 2;
    pointer.y = squareTop(row) + kSquareSize / 2;
    pointer.buttons = buttons;
    ASSERT_EQ(scene.update(), "loop");
    // Every frame is painted, changed or not: the bad pictures are drawn as often as can be.
    scene.invalidate();
    ASSERT_TRUE(scene.draw());
    const std::string broken = invariants.check(scene);
    ASSERT_TRUE(broken.empty()) << broken;
}

void click(GameScene& scene, SceneInvariants& invariants, int column, int row,
           Uint8 buttons = SDL_BUTTON(SDL_BUTTON_LEFT)) {
    frameAt(scene, invariants, column, row, buttons);
    frameAt(scene, invariants, column, row, 0);
}

// Select, cancel, move, answer and capture: what a missing picture must never get in the way
// of. Every selection loads a portrait and every frame draws.
void expectPlayable(GameScene& scene) {
    SceneInvariants invariants(scene);
    click(scene, invariants, 2, 6);
    EXPECT_EQ(scene.selected.piece, Pawn);
    click(scene, invariants, 2, 6, SDL_BUTTON(SDL_BUTTON_RIGHT));
    EXPECT_EQ(scene.selected.piece, -1);
    click(scene, invariants, 2, 6);
    click(scene, invariants, 2, 5);
    EXPECT_EQ(scene.turn(), 1);
    click(scene, invariants, 6, 2);
    click(scene, invariants, 6, 3);
    EXPECT_EQ(scene.turn(), 0);
    click(scene, invariants, 1, 7);
    click(scene, invariants, 7, 1);
    EXPECT_EQ(scene.turn(), 1);
    EXPECT_EQ(scene.board().cellAt(7, 1).piece, PromotedBishop);
    EXPECT_EQ(piecesOn(scene.board()), 39);
}

class BadPictures : public ::testing::TestWithParam<Kind> {
  protected:
    static void SetUpTestSuite() {
        kinds_ = new ScratchDirectory;
        const fs::path tool = repositoryImages().parent_path() / "tools" / "bad_pictures.py";
        const std::string command = "/usr/bin/python3 '" + tool.string() + "' '" +
                                    kinds_->root().string() + "' '" + repositoryImages().string() +
                                    "'";
        ASSERT_EQ(std::system(command.c_str()), 0) << command;
    }
    static void TearDownTestSuite() {
        delete kinds_;
        kinds_ = nullptr;
    }

    void SetUp() override {
        ASSERT_NE(kinds_, nullptr);
        FakePointer::install();
        startKilobytes_ = residentKilobytes();
        scratch_ = std::make_unique<ScratchDirectory>();
        for (const std::string& path : fixedPictures()) {
            restore(path);
        }
        for (const std::string& path : portraits()) {
            restore(path);
        }
    }
    void TearDown() override {
        scratch_.reset();
        FakePointer::uninstall();
        // Every scene of the test is gone by now, with all it decoded.
        if (kResidentMemoryIsMeaningful) {
            EXPECT_LT(residentKilobytes() - startKilobytes_, 32 * 1024);
        }
    }

    void plant(const std::string& path) { plantAt(scratch_->images() / path); }
    void plantAt(const fs::path& target) {
        fs::remove_all(target);
        const std::string kind = GetParam().name;
        if (kind == "folder") {
            fs::create_directory(target);
            return;
        }
        fs::copy_file(kinds_->root() / kind, target);
        if (kind == "unreadable") {
            fs::permissions(target, fs::perms::none);
        }
    }
    void restore(const std::string& path) {
        const fs::path target = scratch_->images() / path;
        fs::remove_all(target);
        fs::create_directories(target.parent_path());
        fs::create_symlink(repositoryImages() / path, target);
    }

    // A sound path as the game names it (../sound/...), seen from the scratch run/ folder.
    fs::path soundFile(Sound sound) const { return scratch_->root() / "run" / soundPath(sound); }
    void restoreSounds() {
        const fs::path sounds = repositoryImages().parent_path() / "sound";
        for (Sound sound : kSounds) {
            const fs::path target = soundFile(sound);
            fs::remove_all(target);
            fs::create_directories(target.parent_path());
            fs::create_symlink(sounds / target.filename(), target);
        }
    }

    std::vector<std::string> fixedPicturesToSweep() const {
        if (!GetParam().slow || std::getenv("IXO_BAD_PICTURES_FULL")) {
            return fixedPictures();
        }
        return {"bg.jpg", "team/sample/1p/05.png", "team/sample/2p/06.png", "kager.png",
                "hikari.png"};
    }

    // Root reads files without read permission, so that kind is judged as "nobody".
    bool needsUnprivilegedRun() const {
        return std::string(GetParam().name) == "unreadable" && geteuid() == 0;
    }

    // Runs `check` in a child that has dropped to nobody; its failures fail this test.
    template <typename Check>
    void runAsNobody(Check check) {
        for (const fs::path& folder : {scratch_->root(), scratch_->root() / "run"}) {
            fs::permissions(folder, fs::perms::owner_all | fs::perms::group_read |
                                        fs::perms::group_exec | fs::perms::others_read |
                                        fs::perms::others_exec);
        }
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            if (setgid(65534) != 0 || setuid(65534) != 0) {
                _exit(3);
            }
            check();
            _exit(::testing::Test::HasFailure() ? 1 : 0);
        }
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0)
            << "the unprivileged run failed; status " << status;
    }

    static ScratchDirectory* kinds_;
    std::unique_ptr<ScratchDirectory> scratch_;
    long startKilobytes_ = 0;
};

ScratchDirectory* BadPictures::kinds_ = nullptr;

TEST_P(BadPictures, EachFixedPictureInTurnLeavesTheGamePlayable) {
    const Kind kind = GetParam();
    if (needsUnprivilegedRun()) {
        // The child cannot write into root's folder, so every picture is spoilt at once.
        for (const std::string& path : fixedPictures()) {
            plant(path);
        }
        runAsNobody([&] {
            GameScene scene(SDL_GetVideoSurface());
            for (const std::string& path : fixedPictures()) {
                expectOutcome(pictureOf(scene, path), kind.outcome, path);
            }
            expectPlayable(scene);
        });
        return;
    }
    for (const std::string& path : fixedPicturesToSweep()) {
        plant(path);
        {
            GameScene scene(SDL_GetVideoSurface());
            expectOutcome(pictureOf(scene, path), kind.outcome, path);
            // The others are untouched by their neighbour's failure.
            if (path != "bg.jpg") {
                EXPECT_NE(scene.background.surface(), nullptr);
            }
            expectPlayable(scene);
        }
        restore(path);
        if (HasFatalFailure()) {
            return;
        }
    }
}

TEST_P(BadPictures, PortraitsLoadedDuringPlayLeaveTheGamePlayable) {
    const Kind kind = GetParam();
    for (const std::string& path : portraits()) {
        plant(path);
    }
    auto play = [&] {
        GameScene scene(SDL_GetVideoSurface());
        expectPlayable(scene);
        // The last selection was Blue's bishop.
        EXPECT_EQ(scene.portrait.path(), "../image/team/sample/1pcg/03.png");
        expectOutcome(scene.portrait, kind.outcome, "portrait");
    };
    if (needsUnprivilegedRun()) {
        runAsNobody(play);
    } else {
        play();
    }
}

// The game with its sounds played through a real mixer on SDL's dummy device, `bad` spoilt:
// that sound alone falls silent, with one line naming it.
void expectPlayableWithBadSound(Sound bad, Outcome outcome) {
    SCOPED_TRACE(soundPath(bad));
    Mixer mixer;
    ::testing::internal::CaptureStderr();
    const bool opened = mixer.open();
    const std::string told = ::testing::internal::GetCapturedStderr();
    ASSERT_TRUE(opened) << told;
    for (Sound sound : kSounds) {
        EXPECT_TRUE(sound == bad || mixer.loaded(sound)) << soundPath(sound);
    }
    const bool silent = !mixer.loaded(bad);
    EXPECT_TRUE(silent || outcome == Outcome::Either);
    EXPECT_EQ(std::count(told.begin(), told.end(), '\n'), silent ? 1 : 0) << told;
    EXPECT_TRUE(!silent || told.find(soundPath(bad)) != std::string::npos) << told;

    GameScene scene(SDL_GetVideoSurface());
    MoveSounds sounds(mixer);
    scene.observers.push_back(&sounds);
    expectPlayable(scene);
    mixer.play(Sound::TakeBack);
}

TEST_P(BadPictures, EachSoundInTurnFallsSilentWithOneLineAndTheGamePlaysOn) {
    const Outcome outcome = asSound(GetParam());
    if (needsUnprivilegedRun()) {
        restoreSounds();
        plantAt(soundFile(Sound::Capture));
        runAsNobody([&] { expectPlayableWithBadSound(Sound::Capture, outcome); });
        return;
    }
    for (Sound sound : kSounds) {
        restoreSounds();
        plantAt(soundFile(sound));
        expectPlayableWithBadSound(sound, outcome);
        if (HasFatalFailure()) {
            return;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(EveryKind, BadPictures, ::testing::ValuesIn(kKinds),
                         [](const ::testing::TestParamInfo<Kind>& info) {
                             std::string name = info.param.name;
                             for (char& letter : name) {
                                 letter = letter == '-' ? '_' : letter;
                             }
                             return name;
                         });

}  // namespace
}  // namespace ixo::reliability
