#pragma once

#include <string>
#include <vector>

#include "SDL.h"

typedef struct _TTF_Font TTF_Font;

namespace ixo {

// Text in any script, from an outline font: comments and players' names as a record writes
// them, Japanese included, which the bitmap font (text.h) cannot show. The game's own
// texts keep the bitmap font, so nothing it has always shown moves.
class TrueTypeText {
  public:
    TrueTypeText() = default;
    ~TrueTypeText();
    TrueTypeText(const TrueTypeText&) = delete;
    TrueTypeText& operator=(const TrueTypeText&) = delete;

    // A font that holds Japanese, as fontconfig finds it (IPA Gothic or Noto CJK on
    // Debian); empty, with `why`, when there is none.
    static std::string findJapaneseFont(std::string& why);

    // Opens the Japanese font at `pointSize`. False, with `why` in plain words, when no such
    // font is installed or it cannot be opened: the caller then keeps the bitmap font.
    bool open(int pointSize, std::string& why);
    bool openFile(const std::string& path, int pointSize, std::string& why);
    bool ready() const { return font_ != nullptr; }

    // The width of `utf8` in pixels, and the height of one line.
    int width(const std::string& utf8) const;
    int lineHeight() const;
    // Draws one line with its top left at (x, y), anti-aliased over what is there. False when
    // nothing could be drawn (no font, or SDL_ttf refused the text).
    bool draw(SDL_Surface* target, int x, int y, const std::string& utf8, SDL_Color colour) const;
    // `utf8` broken into lines no wider than `maxWidth`: at its own line breaks, then at the
    // last space that fits, or between any two characters where there is none, as Japanese
    // is written. A character wider than `maxWidth` gets a line of its own.
    std::vector<std::string> wrap(const std::string& utf8, int maxWidth) const;

  private:
    void close();

    TTF_Font* font_ = nullptr;
    bool initialised_ = false;
};

}  // namespace ixo
