// Feeds arbitrary sequences of frames to the game scene and judges it after every one.
//
// An input is a run of frames. Each frame starts with a control byte: its low three bits are
// the button levels in SDL's own mask layout (left 1, middle 2, right 4), and bits 3 and 4
// say where the pointer goes:
//   0  the middle of a board square, from the next byte (modulo 81), so the fuzzer reaches
//      selections and moves without having to guess pixels;
//   1  a raw 16-bit x and y, which covers the window, its surroundings and negative positions;
//   2  a raw 32-bit x and y, anything SDL could ever report;
//   3  the pointer stays where it was.
// Every input starts from a new game.

#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "SDL.h"
#include "game/geometry.h"
#include "media/text.h"
#include "reliability/scene_driver.h"
#include "reliability/scene_invariants.h"

namespace {

using ixo::reliability::FakePointer;

ixo::GameScene* scene = nullptr;

class FrameReader {
  public:
    FrameReader(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

    bool atEnd() const { return offset_ >= size_; }

    // Missing bytes at the end of the input read as zero, so every prefix is a valid input.
    template <typename Integer>
    Integer take() {
        Integer value = 0;
        const std::size_t left = offset_ < size_ ? size_ - offset_ : 0;
        const std::size_t count = std::min(sizeof(Integer), left);
        std::memcpy(&value, data_ + offset_, count);
        offset_ += sizeof(Integer);
        return value;
    }

  private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t offset_ = 0;
};

void nextFrame(FrameReader& input, FakePointer& pointer) {
    const auto control = input.take<std::uint8_t>();
    pointer.buttons = control & 0x07;
    switch ((control >> 3) & 0x03) {
        case 0: {
            const int square = input.take<std::uint8_t>() % ixo::kSquareCount;
            pointer.x = ixo::squareLeft(square % ixo::kBoardSize) + ixo::kSquareSize / 2;
            pointer.y = ixo::squareTop(square / ixo::kBoardSize) + ixo::kSquareSize / 2;
            break;
        }
        case 1:
            pointer.x = input.take<std::int16_t>();
            pointer.y = input.take<std::int16_t>();
            break;
        case 2:
            pointer.x = input.take<std::int32_t>();
            pointer.y = input.take<std::int32_t>();
            break;
        default:
            break;
    }
}

[[noreturn]] void fail(long frame, const std::string& what) {
    std::fprintf(stderr, "invariant broken after frame %ld: %s\n", frame, what.c_str());
    std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    if (SDL_Init(SDL_INIT_VIDEO) != 0 || !SDL_SetVideoMode(800, 600, 16, SDL_HWSURFACE)) {
        std::fprintf(stderr, "no dummy screen: %s\n", SDL_GetError());
        std::abort();
    }
    ixo::createFont();
    // Run where ../image/ does not exist: the controller needs no pictures, and a failed
    // portrait load is the cheapest one. The folder is left behind on purpose, as the scene
    // lives until the process ends.
    char folder[] = "/tmp/ixo-fuzz-XXXXXX";
    if (!mkdtemp(folder) || chdir(folder) != 0) {
        std::perror("scratch folder");
        std::abort();
    }
    FakePointer::install();
    scene = new ixo::GameScene(SDL_GetVideoSurface());
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    ixo::reliability::startNewGame(*scene);
    FakePointer& pointer = FakePointer::instance();
    pointer = FakePointer{};
    ixo::reliability::SceneInvariants invariants(*scene);

    FrameReader input(data, size);
    for (long frame = 0; !input.atEnd(); ++frame) {
        nextFrame(input, pointer);
        if (scene->update() != "loop") {
            fail(frame, "update did not return \"loop\"");
        }
        scene->draw();
        // Whatever the input did, a frame is painted at most once.
        if (scene->draw()) {
            fail(frame, "draw painted the same frame twice");
        }
        const std::string broken = invariants.check(*scene);
        if (!broken.empty()) {
            fail(frame, broken);
        }
    }
    return 0;
}
