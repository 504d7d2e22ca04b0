#include "media/ttf_text.h"

#include <fontconfig/fontconfig.h>

#include <algorithm>

#include "SDL_ttf.h"

namespace ixo {

namespace {

// The length of the UTF-8 character that starts with `lead` (1 for a stray byte, so a
// broken text still advances).
std::size_t characterLength(unsigned char lead) {
    return lead >= 0xf0 ? 4 : lead >= 0xe0 ? 3 : lead >= 0xc0 ? 2 : 1;
}

}  // namespace

TrueTypeText::~TrueTypeText() {
    close();
}

std::string TrueTypeText::findJapaneseFont(std::string& why) {
    if (!FcInit()) {
        why = "fontconfig could not be started";
        return {};
    }
    std::string path;
    FcPattern* pattern = FcNameParse(reinterpret_cast<const FcChar8*>("sans-serif:lang=ja"));
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    FcPattern* match = FcFontMatch(nullptr, pattern, &result);
    FcChar8* file = nullptr;
    FcCharSet* characters = nullptr;
    // fontconfig always answers with some font; only one that holds kana will do.
    if (match && FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch &&
        FcPatternGetCharSet(match, FC_CHARSET, 0, &characters) == FcResultMatch &&
        FcCharSetHasChar(characters, 0x3042) && FcCharSetHasChar(characters, 0x6b69)) {
        path = reinterpret_cast<const char*>(file);
    } else {
        why =
            "no Japanese font is installed (Debian package fonts-ipafont-gothic or "
            "fonts-noto-cjk)";
    }
    if (match) {
        FcPatternDestroy(match);
    }
    FcPatternDestroy(pattern);
    return path;
}

bool TrueTypeText::open(int pointSize, std::string& why) {
    const std::string path = findJapaneseFont(why);
    return !path.empty() && openFile(path, pointSize, why);
}

bool TrueTypeText::openFile(const std::string& path, int pointSize, std::string& why) {
    close();
    if (!TTF_WasInit() && TTF_Init() != 0) {
        why = std::string("SDL_ttf could not be started: ") + TTF_GetError();
        return false;
    }
    initialised_ = true;
    font_ = TTF_OpenFont(path.c_str(), pointSize);
    if (!font_) {
        why = "the font " + path + " could not be opened: " + TTF_GetError();
        close();
        return false;
    }
    return true;
}

void TrueTypeText::close() {
    if (font_) {
        TTF_CloseFont(font_);
        font_ = nullptr;
    }
    if (initialised_) {
        // SDL_ttf counts its users, so one text closing leaves another's working.
        TTF_Quit();
        initialised_ = false;
    }
}

int TrueTypeText::width(const std::string& utf8) const {
    int width = 0;
    int height = 0;
    if (!font_ || utf8.empty() || TTF_SizeUTF8(font_, utf8.c_str(), &width, &height) != 0) {
        return 0;
    }
    return width;
}

int TrueTypeText::lineHeight() const {
    // Some fonts ask for less room between lines than their glyphs take (IPA Gothic at 16
    // points: 16 against 17), and a line must not draw into the next.
    return font_ ? std::max(TTF_FontLineSkip(font_), TTF_FontHeight(font_)) : 0;
}

bool TrueTypeText::draw(SDL_Surface* target, int x, int y, const std::string& utf8,
                        SDL_Color colour) const {
    if (!font_ || !target || utf8.empty()) {
        return false;
    }
    SDL_Surface* line = TTF_RenderUTF8_Blended(font_, utf8.c_str(), colour);
    if (!line) {
        return false;
    }
    SDL_Rect where{static_cast<Sint16>(x), static_cast<Sint16>(y), 0, 0};
    const bool drawn = SDL_BlitSurface(line, nullptr, target, &where) == 0;
    SDL_FreeSurface(line);
    return drawn;
}

std::vector<std::string> TrueTypeText::wrap(const std::string& utf8, int maxWidth) const {
    std::vector<std::string> lines;
    std::size_t paragraphStart = 0;
    while (paragraphStart <= utf8.size()) {
        std::size_t paragraphEnd = utf8.find('\n', paragraphStart);
        if (paragraphEnd == std::string::npos) {
            paragraphEnd = utf8.size();
        }
        const std::string paragraph = utf8.substr(paragraphStart, paragraphEnd - paragraphStart);
        std::string line;
        std::size_t lastSpace = std::string::npos;  // in `line`
        for (std::size_t at = 0; at < paragraph.size();) {
            const std::size_t length = characterLength(static_cast<unsigned char>(paragraph[at]));
            const std::string character = paragraph.substr(at, length);
            at += length;
            if (!line.empty() && width(line + character) > maxWidth) {
                if (character == " ") {
                    lines.push_back(line);
                    line.clear();
                    lastSpace = std::string::npos;
                    continue;
                }
                if (lastSpace != std::string::npos) {
                    lines.push_back(line.substr(0, lastSpace));
                    line.erase(0, lastSpace + 1);
                    lastSpace = line.rfind(' ');
                } else {
                    lines.push_back(line);
                    line.clear();
                }
            }
            if (character == " ") {
                lastSpace = line.size();
            }
            line += character;
        }
        lines.push_back(line);
        paragraphStart = paragraphEnd + 1;
    }
    return lines;
}

}  // namespace ixo
