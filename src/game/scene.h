#pragma once

#include <string>

namespace ixo {

// One screen of content. The main loop hands `name()` and the word `update()` returned to the
// application's transition rule after every pass.
class Scene {
  public:
    virtual ~Scene() = default;
    virtual std::string name() = 0;
    virtual std::string update() = 0;
    // True when a frame was drawn; only then does the loop flip the screen and pause.
    virtual bool draw() = 0;
    // True while Escape is the scene's to handle (closing something it shows) rather than
    // the loop's, which quits on it.
    virtual bool takesEscape() const { return false; }
};

}  // namespace ixo
