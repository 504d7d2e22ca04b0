#include "media/sound.h"

#include <cstdio>

#include "SDL_mixer.h"

namespace ixo {

namespace {

constexpr const char* kDefaultFolder = "../sound/";
const char* const kFileNames[kSoundCount] = {"move.wav", "capture.wav", "takeback.wav"};

int indexOf(Sound sound) {
    return static_cast<int>(sound);
}

const char* mixerError() {
    const char* error = Mix_GetError();
    return error && *error ? error : "no reason given";
}

}  // namespace

const char* soundPath(Sound sound) {
    static const std::array<std::string, kSoundCount> paths = {
        std::string(kDefaultFolder) + kFileNames[0], std::string(kDefaultFolder) + kFileNames[1],
        std::string(kDefaultFolder) + kFileNames[2]};
    return paths[indexOf(sound)].c_str();
}

Mixer::~Mixer() {
    close();
}

bool Mixer::open() {
    if (open_) {
        return true;
    }
    // The game's own format: the sounds are 22050 Hz, so nothing is resampled as they load.
    if (Mix_OpenAudio(22050, AUDIO_S16LSB, 2, 1024) < 0) {
        if (!deviceTroubleTold_) {
            std::fprintf(stderr,
                         "ixo-shogi: could not open the audio device: %s; playing on "
                         "without sound\n",
                         mixerError());
            deviceTroubleTold_ = true;
        }
        return false;
    }
    open_ = true;
    for (int index = 0; index < kSoundCount; ++index) {
        const std::string path = folder_ + kFileNames[index];
        chunks_[index] = Mix_LoadWAV(path.c_str());
        if (!chunks_[index] && !fileTroubleTold_[index]) {
            std::fprintf(stderr, "ixo-shogi: cannot load the sound %s: %s\n", path.c_str(),
                         mixerError());
            fileTroubleTold_[index] = true;
        }
    }
    return true;
}

void Mixer::close() {
    if (!open_) {
        return;
    }
    for (Mix_Chunk*& chunk : chunks_) {
        if (chunk) {
            Mix_FreeChunk(chunk);
            chunk = nullptr;
        }
    }
    Mix_CloseAudio();
    open_ = false;
}

bool Mixer::loaded(Sound sound) const {
    return chunks_[indexOf(sound)] != nullptr;
}

void Mixer::play(Sound sound) {
    Mix_Chunk* chunk = chunks_[indexOf(sound)];
    if (chunk) {
        // -1: any free channel. With all of them busy the sound is dropped, never waited for.
        Mix_PlayChannel(-1, chunk, 0);
    }
}

}  // namespace ixo
