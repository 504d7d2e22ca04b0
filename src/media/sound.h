#pragma once

#include <array>
#include <string>
#include <utility>

struct Mix_Chunk;

namespace ixo {

enum class Sound { Move, Capture, TakeBack };
constexpr int kSoundCount = 3;

// The file a sound is read from, relative to the working directory like the pictures (the
// mixer may be given another folder for them).
const char* soundPath(Sound sound);

// What the game asks for when something should be heard. Whether it is heard (a device, the
// file, mute) is the player's business, so the game's side can be checked with a fake.
class SoundPlayer {
  public:
    virtual ~SoundPlayer() = default;
    virtual void play(Sound sound) = 0;
};

// The audio device with every sound loaded into it once, played on any free mixer channel.
// While closed it plays nothing: that is how a muted game, and a machine without a sound
// device, go on in silence. A sound whose file is missing or bad stays silent on its own.
class Mixer : public SoundPlayer {
  public:
    Mixer() = default;
    ~Mixer() override;
    Mixer(const Mixer&) = delete;
    Mixer& operator=(const Mixer&) = delete;

    // Opens the device and loads the sounds; false when the device could not be opened.
    // Each kind of trouble is told on stderr once per mixer, not at every reopening.
    bool open();
    // Frees the sounds, then closes the device: a chunk must not outlive its device.
    void close();
    bool isOpen() const { return open_; }
    // Where open() reads the sounds from, ending in a slash; "../sound/" unless told.
    void setFolder(std::string folder) { folder_ = std::move(folder); }
    bool loaded(Sound sound) const;

    // Starts the sound and returns at once; nothing when closed, not loaded or no channel free.
    void play(Sound sound) override;

  private:
    std::array<Mix_Chunk*, kSoundCount> chunks_{};
    std::array<bool, kSoundCount> fileTroubleTold_{};
    bool deviceTroubleTold_ = false;
    bool open_ = false;
    std::string folder_ = "../sound/";
};

}  // namespace ixo
