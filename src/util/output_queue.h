#pragma once

#include <sys/types.h>

#include <cerrno>
#include <cstddef>
#include <string>

namespace ixo {

// Lines on their way to a peer through a non-blocking descriptor: an engine's pipe, a
// server's socket. What the descriptor does not take now waits for the next flush, so a slow
// reader never holds the game. A queue past `mostBytes` means the peer has stopped reading,
// and it counts as gone, like one that cannot be written to at all; a game never has more
// than a few short lines on their way.
class OutputQueue {
  public:
    static constexpr std::size_t kMostBytes = 1024 * 1024;

    void addLine(const std::string& line) {
        pending_ += line;
        pending_ += '\n';
    }

    // Writes what `write(data, size)`, a call with write(2)'s answers, takes now. False once
    // the peer cannot be written to; what was queued is dropped then, and later flushes fail.
    template <typename Write>
    bool flush(Write write) {
        if (failed_) {
            return false;
        }
        while (!pending_.empty()) {
            const ssize_t written = write(pending_.data(), pending_.size());
            if (written > 0) {
                pending_.erase(0, static_cast<std::size_t>(written));
                continue;
            }
            if (written < 0 && errno == EINTR) {
                continue;
            }
            if (written < 0 && (errno == EAGAIN || errno == EWOULDBLOCK) &&
                pending_.size() <= kMostBytes) {
                return true;
            }
            failed_ = true;
            pending_.clear();
            return false;
        }
        return true;
    }

    bool failed() const { return failed_; }
    bool empty() const { return pending_.empty(); }
    void clear() {
        pending_.clear();
        failed_ = false;
    }

  private:
    std::string pending_;
    bool failed_ = false;
};

}  // namespace ixo
