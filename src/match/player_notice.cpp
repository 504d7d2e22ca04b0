#include "match/player_notice.h"

namespace ixo {

void NoticeReader::show(const PlayerNotice& notice, std::string& line) {
    using Kind = PlayerNotice::Kind;
    if (notice.serial() != seen_) {
        seen_ = notice.serial();
        switch (notice.kind()) {
            case Kind::Say:
                line = notice.text();
                mine_ = notice.text();
                break;
            case Kind::Tell:
                line = notice.text();
                mine_.clear();
                break;
            case Kind::Clear:
                line.clear();
                mine_.clear();
                break;
            case Kind::Withdraw:
                if (!mine_.empty() && line == mine_) {
                    line.clear();
                }
                mine_.clear();
                break;
            case Kind::Offer:
            case Kind::None:
                break;
        }
    }
    // A remark offered while the line was someone else's waits for it to be free. One the
    // line already had and lost stays off it until the player has something new to say, so
    // the line does not flicker back over whatever emptied it.
    if (notice.kind() == Kind::Offer && notice.text() != mine_ && (line.empty() || line == mine_)) {
        line = notice.text();
        mine_ = notice.text();
    }
}

}  // namespace ixo
