#include "record/text_encoding.h"

#include <iconv.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <string_view>

namespace ixo {

namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

// Strict UTF-8: no overlong forms, no surrogates, nothing above U+10FFFF.
bool isValidUtf8(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size()) {
        const auto lead = static_cast<unsigned char>(text[i]);
        int extra = 0;
        unsigned char low = 0x80, high = 0xBF;  // bounds of the first continuation byte
        if (lead < 0x80) {
            ++i;
            continue;
        } else if (lead >= 0xC2 && lead <= 0xDF) {
            extra = 1;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            extra = 2;
            low = lead == 0xE0 ? 0xA0 : 0x80;
            high = lead == 0xED ? 0x9F : 0xBF;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            extra = 3;
            low = lead == 0xF0 ? 0x90 : 0x80;
            high = lead == 0xF4 ? 0x8F : 0xBF;
        } else {
            return false;
        }
        if (text.size() - i <= static_cast<std::size_t>(extra)) {
            return false;
        }
        for (int k = 1; k <= extra; ++k) {
            const auto next = static_cast<unsigned char>(text[i + k]);
            const unsigned char from = k == 1 ? low : 0x80, to = k == 1 ? high : 0xBF;
            if (next < from || next > to) {
                return false;
            }
        }
        i += extra + 1;
    }
    return true;
}

std::optional<std::string> fromCp932(std::string_view bytes) {
    iconv_t converter = iconv_open("UTF-8", "CP932");
    if (converter == reinterpret_cast<iconv_t>(-1)) {
        return std::nullopt;
    }
    // One byte of CP932 never becomes more than three of UTF-8, so one pass fills it.
    std::string out(bytes.size() * 3 + 1, '\0');
    char* in = const_cast<char*>(bytes.data());
    std::size_t inLeft = bytes.size();
    char* outPtr = out.data();
    std::size_t outLeft = out.size();
    const std::size_t converted = iconv(converter, &in, &inLeft, &outPtr, &outLeft);
    iconv_close(converter);
    if (converted == static_cast<std::size_t>(-1) || inLeft != 0) {
        return std::nullopt;
    }
    out.resize(out.size() - outLeft);
    return out;
}

// Whether the first lines name Shift_JIS as the encoding, as "#KIF ... encoding=Shift_JIS".
bool declaresShiftJis(std::string_view bytes) {
    std::string head(bytes.substr(0, 512));
    std::transform(head.begin(), head.end(), head.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    for (const char* name :
         {"encoding=shift_jis", "encoding=sjis", "encoding=cp932", "encoding=windows-31j"}) {
        if (head.find(name) != std::string::npos) {
            return true;
        }
    }
    return false;
}

// "U+2460": a character named so a player can find it whatever their terminal shows.
std::string codePointName(std::string_view text) {
    const auto lead = static_cast<unsigned char>(text.empty() ? 0 : text[0]);
    const int length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
    unsigned long point = length == 1 ? lead : lead & (0x7F >> length);
    for (int k = 1; k < length && k < static_cast<int>(text.size()); ++k) {
        point = point << 6 | (static_cast<unsigned char>(text[k]) & 0x3F);
    }
    char name[16];
    std::snprintf(name, sizeof name, "U+%04lX", point);
    return name;
}

}  // namespace

bool encodeShiftJis(const std::string& utf8, std::string& shiftJis, std::string& error) {
    iconv_t converter = iconv_open("CP932", "UTF-8");
    if (converter == reinterpret_cast<iconv_t>(-1)) {
        error = "this system cannot convert text to Shift_JIS";
        return false;
    }
    // Two bytes of Shift_JIS for every character of two or three bytes of UTF-8: never longer.
    shiftJis.assign(utf8.size() + 1, '\0');
    char* in = const_cast<char*>(utf8.data());
    std::size_t inLeft = utf8.size();
    char* out = shiftJis.data();
    std::size_t outLeft = shiftJis.size();
    const std::size_t converted = iconv(converter, &in, &inLeft, &out, &outLeft);
    iconv_close(converter);
    if (converted == static_cast<std::size_t>(-1) || inLeft != 0) {
        const std::size_t at = utf8.size() - inLeft;
        const long line = 1 + static_cast<long>(std::count(utf8.begin(), utf8.begin() + at, '\n'));
        error = "line " + std::to_string(line) + ": " +
                codePointName(std::string_view(utf8).substr(at)) + " has no Shift_JIS form";
        return false;
    }
    shiftJis.resize(shiftJis.size() - outLeft);
    return true;
}

std::optional<std::string> decodeRecordText(const std::string& bytes) {
    std::string_view text(bytes);
    if (text.substr(0, kUtf8Bom.size()) == kUtf8Bom) {
        text.remove_prefix(kUtf8Bom.size());
        return isValidUtf8(text) ? std::optional<std::string>(std::string(text)) : std::nullopt;
    }
    if (declaresShiftJis(text)) {
        if (auto converted = fromCp932(text)) {
            return converted;
        }
    }
    if (isValidUtf8(text)) {
        return std::string(text);
    }
    return fromCp932(text);
}

}  // namespace ixo
