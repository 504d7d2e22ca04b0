#include "util/line_buffer.h"

namespace ixo {

LineBuffer::Take LineBuffer::take(std::string& line) {
    for (;;) {
        const std::size_t newline = input_.find('\n', scanned_);
        if (newline == std::string::npos) {
            scanned_ = input_.size();
            if (input_.size() > maxLineLength_) {
                input_.clear();
                scanned_ = 0;
                if (!discarding_) {
                    discarding_ = true;
                    return Take::Overlong;
                }
            }
            return Take::NothingYet;
        }
        if (newline > maxLineLength_ && !discarding_) {
            input_.erase(0, newline + 1);
            scanned_ = 0;
            return Take::Overlong;
        }
        const bool wasDiscarding = discarding_;
        discarding_ = false;
        if (!wasDiscarding) {
            line.assign(input_, 0, newline);
            if (!line.empty() && line.back() == '\r') {
                line.pop_back();
            }
        }
        input_.erase(0, newline + 1);
        scanned_ = 0;
        if (!wasDiscarding) {
            return Take::Line;
        }
    }
}

bool LineBuffer::takeRest(std::string& line) {
    if (input_.empty() || discarding_) {
        clear();
        return false;
    }
    line = input_;
    clear();
    return true;
}

void LineBuffer::clear() {
    input_.clear();
    scanned_ = 0;
    discarding_ = false;
}

}  // namespace ixo
