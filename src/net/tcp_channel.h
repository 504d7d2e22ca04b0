#pragma once

#include <cstdint>
#include <string>

#include "util/line_buffer.h"

namespace ixo {

// One TCP connection seen as lines in and lines out, the way EngineProcess shows an engine.
// It knows no protocol, so the protocol can be tested against a stand-in server. Everything
// is non-blocking: connecting, reading and writing never hold the game's loop. The one wait
// left is the host name lookup, which the C library does not offer without a thread; a
// numeric address or a name in /etc/hosts costs nothing.
class TcpChannel {
  public:
    // A line from a server longer than this is no line of its protocol.
    static constexpr std::size_t kMaxLineLength = 64 * 1024;

    enum class State { Closed, Connecting, Open };
    enum class Read { Line, NothingYet, Overlong, Closed };

    TcpChannel() : input_(kMaxLineLength) {}
    ~TcpChannel() { close(); }
    TcpChannel(const TcpChannel&) = delete;
    TcpChannel& operator=(const TcpChannel&) = delete;

    // Starts connecting to `host` on `port`; Connecting (or at once Open) on true. On false
    // `error` says why and nothing is left open. Whether the connection is made shows in
    // update(); connecting is given up when `deadlineMs` passes.
    bool connect(const std::string& host, int port, std::int64_t nowMs, std::int64_t deadlineMs,
                 std::string& error);
    // Moves a connection in progress on: Open once made. False with `error` when it failed or
    // its deadline passed; the channel is closed then.
    bool update(std::int64_t nowMs, std::string& error);

    // Queues `line` and an LF and writes what the socket takes now; the rest goes out on
    // later calls. False once the peer cannot be written to.
    bool sendLine(const std::string& line);
    bool flush();
    bool hasPendingOutput() const { return !output_.empty(); }

    // The next whole line without its line end, or what stopped it. Closed comes once the
    // peer closed the connection and every line before that was taken.
    Read readLine(std::string& line);

    State state() const { return state_; }
    // For the main loop's one poll: POLLIN on it says a line (or the end) may be waiting.
    // While connecting, or while output waits, the loop also asks for POLLOUT (pollEvents).
    int readDescriptor() const { return socket_; }
    short pollEvents() const;
    // Until the connect deadline; -1 when nothing waits on the clock.
    std::int64_t msUntilDeadline(std::int64_t nowMs) const;

    void close();

  private:
    State state_ = State::Closed;
    int socket_ = -1;
    std::int64_t deadlineMs_ = -1;
    LineBuffer input_;
    bool endOfInput_ = false;
    std::string output_;
    bool writeFailed_ = false;
};

}  // namespace ixo
