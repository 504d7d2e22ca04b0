#pragma once

#include <string>

namespace ixo {

// What a player of the match (the computer, the hint) has to say on the line under the board,
// kept as its own state for a view to read. The line is shared: a refusal, a question or
// another player may have taken it since, so each saying says how it treats what is there.
class PlayerNotice {
  public:
    enum class Kind {
        None,
        Say,       // takes the line, and may be withdrawn while the line still shows it
        Tell,      // takes the line for good: a failure or a foul the player must read
        Offer,     // a running remark, shown only over an empty line or the player's own words
        Withdraw,  // the player's words leave the line, if it still shows them
        Clear,     // the line is emptied, whoever's words it showed
    };

    void say(const std::string& text) { set(Kind::Say, text); }
    void tell(const std::string& text) { set(Kind::Tell, text); }
    void offer(const std::string& text) { set(Kind::Offer, text); }
    void withdraw() { set(Kind::Withdraw, text_); }
    void clear() { set(Kind::Clear, ""); }

    Kind kind() const { return kind_; }
    const std::string& text() const { return text_; }
    // Changes with every saying, so a view tells a new one from one it has already shown.
    unsigned serial() const { return serial_; }

  private:
    void set(Kind kind, const std::string& text) {
        kind_ = kind;
        text_ = text;
        ++serial_;
    }

    Kind kind_ = Kind::None;
    std::string text_;
    unsigned serial_ = 0;
};

// A view's memory of one player's notice: which saying it has shown, and which words on the
// line are that player's. show() brings `line` up to date with the player's latest saying.
class NoticeReader {
  public:
    void show(const PlayerNotice& notice, std::string& line);

  private:
    unsigned seen_ = 0;
    std::string mine_;  // the player's words as last put on the line; empty: none there
};

}  // namespace ixo
